#pragma once

#include <QObject>

namespace tulvo {

class ShutdownSignals;

// SIGTERM and SIGINT before the message loop runs: a start-up message box
// (a store or call-log file that cannot be used, a program already running)
// is a loop of its own, and the signal would otherwise wait until the box is
// answered. Until End(), a signal ends every running event loop (boxes shown
// afterwards close at once) and marks the start-up as stopped, so the
// program shuts down as after "Выход" instead of entering its loop.
class StartupStop : public QObject {
    Q_OBJECT
  public:
    explicit StartupStop(ShutdownSignals& shutdown);

    bool Requested() const { return requested_; }
    // The message loop takes over: from now on a signal closes the main
    // window instead.
    void End();

  private:
    QMetaObject::Connection connection_;
    bool requested_ = false;
};

}  // namespace tulvo
