#pragma once

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "model/operator.h"
#include "sync/transfer_progress.h"

namespace tulvo::cli {

// Shows a transfer's progress as one line on a terminal, redrawn a few
// times a second from its own thread, and passes every operator text on to
// another operator after clearing the line, so messages never end up in
// the middle of it. When not enabled (standard error is not a terminal) it
// only passes texts on.
class ProgressLine : public Operator {
  public:
    ProgressLine(Operator& inner, const TransferProgress& progress, std::string caption,
                 bool enabled, std::FILE* out = stderr);
    ~ProgressLine() override;
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Stops redrawing and clears the line; called by the destructor too.
    void Finish();
    // Says what is being done from now on (from any thread).
    void SetCaption(std::string caption);

    void Message(const std::string& text) override;
    void Error(const std::string& text) override;
    void ErrorWithDetail(const std::string& text, const std::string& detail) override;
    void MessageWithDetail(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& text) override;
    Choice AskAbortIgnoreCancel(const std::string& text) override;

  private:
    void Run();
    void DrawLocked();
    void ClearLocked();
    template <typename Fn>
    auto Passing(Fn&& fn);

    Operator& inner_;
    const TransferProgress& progress_;
    std::string caption_;
    bool enabled_;
    std::FILE* out_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool drawn_ = false;
    std::thread thread_;
};

}  // namespace tulvo::cli
