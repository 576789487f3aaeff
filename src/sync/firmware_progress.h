#pragma once

#include <atomic>
#include <string>

namespace tulvo {

// Where a firmware update stands, in the terms an operator follows: which
// image is going out and how many of its blocks have gone. The upload writes
// it; a window's timer, a progress line or a signal handler read it and may
// ask the update to stop. Every member is lock-free, safe from any thread
// and from a signal handler.
class FirmwareProgress {
  public:
    enum class Stage {
        Idle,     // nothing is being sent
        Program,  // the program image
        Voice,    // the voice image
        Ending,   // the end command that starts the new program
    };

    // A new stage with `blocks` blocks to send, none of them sent yet.
    void Begin(Stage stage, int blocks);
    // Another stage, the counts kept (the end command follows the images).
    void SetStage(Stage stage) { stage_.store(stage, std::memory_order_relaxed); }
    // The stage's first block is about to go out.
    void SetStarted() { started_.store(true, std::memory_order_relaxed); }
    void SetSent(int sent) { sent_.store(sent, std::memory_order_relaxed); }

    Stage CurrentStage() const { return stage_.load(std::memory_order_relaxed); }
    int Sent() const { return sent_.load(std::memory_order_relaxed); }
    int Blocks() const { return blocks_.load(std::memory_order_relaxed); }

    // Whether a stop now would leave an image on the gateway in part (its
    // first block has gone out): a program image cut short leaves the
    // gateway without a working program.
    bool StopCutsImage() const;
    // What a stop now would cost, for a question or a warning; empty when
    // it costs nothing.
    const char* StopWarning() const;

    // Asks the upload to stop before its next block.
    void RequestStop() { stop_.store(true, std::memory_order_relaxed); }
    bool StopRequested() const { return stop_.load(std::memory_order_relaxed); }

    // "Образ программы (TProgram): блок 3 из 114"; empty while idle.
    std::string Text() const;

  private:
    std::atomic<Stage> stage_{Stage::Idle};
    std::atomic<int> sent_{0};
    std::atomic<int> blocks_{0};
    std::atomic<bool> started_{false};
    std::atomic<bool> stop_{false};
    static_assert(std::atomic<Stage>::is_always_lock_free &&
                  std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);
};

}  // namespace tulvo
