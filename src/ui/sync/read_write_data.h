#pragma once

#include <QThread>
#include <atomic>

#include "actions/gateway_actions.h"
#include "sync/transfer_progress.h"

namespace tulvo {

class Operator;

// A whole-image transfer job on its own thread, over a port that is already
// open. The thread never touches a widget: the progress window reads
// Progress() and, once Done(), Success().
class TReadWriteData : public QThread {
    Q_OBJECT
  public:
    // op shows what escapes the job as an error.
    TReadWriteData(GatewayActions::Job job, Operator& op);

    // Acquire: a true Done() makes the final Success() visible.
    bool Done() const { return finished_.load(std::memory_order_acquire); }
    bool Success() const { return success_.load(std::memory_order_relaxed); }
    const TransferProgress& Progress() const { return progress_; }
    // Asks the job to stop before its next transaction; safe from any thread.
    void RequestStop() { progress_.RequestStop(); }
    // Called on the user-interface thread once the thread has been started:
    // returns when the job has ended and the thread has finished, serving
    // events meanwhile, since the job's operator calls wait for this thread.
    void ServeEventsUntilDone();

  private:
    void run() final;

    GatewayActions::Job job_;
    Operator& op_;
    TransferProgress progress_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> success_{false};
};

}  // namespace tulvo
