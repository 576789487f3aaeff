#include "app/startup_stop.h"

#include <QCoreApplication>

#include "app/shutdown_signals.h"

namespace tulvo {

StartupStop::StartupStop(ShutdownSignals& shutdown) {
    connection_ = connect(&shutdown, &ShutdownSignals::requested, this, [this] {
        requested_ = true;
        QCoreApplication::exit(0);
    });
}

void StartupStop::End() {
    disconnect(connection_);
}

}  // namespace tulvo
