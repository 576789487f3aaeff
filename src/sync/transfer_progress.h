#pragma once

#include <atomic>
#include <cstdint>

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

    // Which group of records a whole-image transfer is on and how many of
    // its records are done, for a window that says what is happening.
    enum class Stage : std::uint8_t { None, Subscribers, Settings, Alarm, BlackList, Sms };
    struct StageState {
        Stage stage = Stage::None;
        int done = 0;
        int total = 0;
    };
    // Called by the transfer's one thread only.
    void BeginStage(Stage stage, int total) { stage_.store(Pack({stage, 0, total})); }
    void StageDone(int done) {
        StageState state = Unpack(stage_.load());
        state.done = done;
        stage_.store(Pack(state));
    }
    // One word, so a reader never pairs one stage's name with another's count.
    StageState CurrentStage() const { return Unpack(stage_.load()); }

  private:
    static std::uint64_t Pack(const StageState& s) {
        return static_cast<std::uint64_t>(s.stage) << 48 |
               static_cast<std::uint64_t>(static_cast<std::uint32_t>(s.done) & 0xFFFFFF) << 24 |
               (static_cast<std::uint32_t>(s.total) & 0xFFFFFF);
    }
    static StageState Unpack(std::uint64_t word) {
        return {static_cast<Stage>(word >> 48), static_cast<int>(word >> 24 & 0xFFFFFF),
                static_cast<int>(word & 0xFFFFFF)};
    }

    std::atomic<int> position_{0};
    std::atomic<int> maximum_{kFullTransferSteps};
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> stage_{0};
};

}  // namespace tulvo
