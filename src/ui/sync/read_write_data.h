#pragma once

#include <QThread>
#include <atomic>

#include "sync/transfer_progress.h"

namespace tulvo {

class ImageTransfer;
class Operator;
class TData;
class TPortMost;

// A whole-image transfer on its own thread, over a port that is already
// open. The thread never touches a widget: the progress window reads
// Progress() and, once Done(), Success().
class TReadWriteData : public QThread {
    Q_OBJECT
  public:
    TReadWriteData(TData& image, TPortMost& port, Operator& op);

    // Acquire: a true Done() makes the final Success() visible.
    bool Done() const { return finished_.load(std::memory_order_acquire); }
    bool Success() const { return success_.load(std::memory_order_relaxed); }
    const TransferProgress& Progress() const { return progress_; }

  protected:
    // The transfer itself: true when all five routines succeeded.
    virtual bool Transfer(ImageTransfer& transfer) = 0;

  private:
    void run() final;

    TData& image_;
    TPortMost& port_;
    Operator& op_;
    TransferProgress progress_;
    std::atomic<bool> finished_{false};
    std::atomic<bool> success_{false};
};

}  // namespace tulvo
