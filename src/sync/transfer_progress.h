#pragma once

#include <atomic>

namespace tulvo {

// The progress of a long job: a counter that the job advances and another
// thread (a progress window's timer) may read at any time. A full transfer
// makes kFullTransferSteps steps: one per subscriber and one per
// black/white list entry; other jobs set their own maximum.
class TransferProgress {
  public:
    static constexpr int kFullTransferSteps = 486;

    void Advance() { position_.fetch_add(1, std::memory_order_relaxed); }
    int Position() const { return position_.load(std::memory_order_relaxed); }
    int Maximum() const { return maximum_.load(std::memory_order_relaxed); }
    void Reset() { position_.store(0, std::memory_order_relaxed); }
    // For jobs of another length (a call-log block's record count).
    void SetMaximum(int maximum) { maximum_.store(maximum, std::memory_order_relaxed); }
    void SetPosition(int position) { position_.store(position, std::memory_order_relaxed); }

    // Asks the transfer to stop before its next transaction. Safe from any
    // thread and from a signal handler.
    void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }

  private:
    std::atomic<int> position_{0};
    std::atomic<int> maximum_{kFullTransferSteps};
    std::atomic<bool> stop_{false};
};

}  // namespace tulvo
