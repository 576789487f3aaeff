#pragma once

#include <QObject>

class QSocketNotifier;

namespace tulvo {

// Turns SIGTERM and SIGINT into a Qt signal on the user-interface thread:
// the handler only writes a byte to a socket pair, and a notifier on the
// other end emits requested(). One instance per process.
class ShutdownSignals : public QObject {
    Q_OBJECT
  public:
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

    bool Installed() const { return notifier_ != nullptr; }

  signals:
    void requested(int signalNumber);

  private:
    void Drain();

    int fds_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tulvo
