#pragma once

#include <QGuiApplication>

namespace tulvo {

// Shows the busy cursor over the whole program while it lives: put one
// around a wait for the gateway on the user-interface thread, so a silent
// gateway's time-outs do not look like a hung program. Message boxes shown
// meanwhile through QtOperator get the normal arrow back.
class BusyCursor {
  public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace tulvo
