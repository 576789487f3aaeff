#include "cli/progress_line.h"

#include <chrono>
#include <utility>

namespace tulvo::cli {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);
}

ProgressLine::ProgressLine(Operator& inner, const TransferProgress& progress, std::string caption,
                           bool enabled, std::FILE* out)
    : inner_(inner),
      progress_(progress),
      caption_(std::move(caption)),
      enabled_(enabled),
      out_(out) {
    if (enabled_) {
        thread_ = std::thread([this] { Run(); });
    }
}

ProgressLine::~ProgressLine() {
    Finish();
}

void ProgressLine::Finish() {
    {
        std::lock_guard lock(mutex_);
        if (stop_) {
            return;
        }
        stop_ = true;
        ClearLocked();
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void ProgressLine::SetCaption(std::string caption) {
    std::lock_guard lock(mutex_);
    caption_ = std::move(caption);
}

void ProgressLine::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        DrawLocked();
        wake_.wait_for(lock, kRedrawInterval, [this] { return stop_; });
    }
}

void ProgressLine::DrawLocked() {
    const int position = progress_.Position();
    const int maximum = progress_.Maximum();
    const int percent = maximum > 0 ? position * 100 / maximum : 0;
    std::fprintf(out_, "\r%s %d/%d (%d%%)", caption_.c_str(), position, maximum, percent);
    std::fflush(out_);
    drawn_ = true;
}

void ProgressLine::ClearLocked() {
    if (drawn_) {
        std::fputs("\r\033[K", out_);
        std::fflush(out_);
        drawn_ = false;
    }
}

// Runs fn (which talks to the inner operator) with the line cleared; the
// drawing thread redraws it at its next tick.
template <typename Fn>
auto ProgressLine::Passing(Fn&& fn) {
    std::lock_guard lock(mutex_);
    ClearLocked();
    return fn();
}

void ProgressLine::Message(const std::string& text) {
    Passing([&] { inner_.Message(text); });
}

void ProgressLine::Error(const std::string& text) {
    Passing([&] { inner_.Error(text); });
}

void ProgressLine::ErrorWithDetail(const std::string& text, const std::string& detail) {
    Passing([&] { inner_.ErrorWithDetail(text, detail); });
}

void ProgressLine::MessageWithDetail(const std::string& text, const std::string& detail) {
    Passing([&] { inner_.MessageWithDetail(text, detail); });
}

bool ProgressLine::AskYesNo(const std::string& text) {
    return Passing([&] { return inner_.AskYesNo(text); });
}

Operator::Choice ProgressLine::AskAbortIgnoreCancel(const std::string& text) {
    return Passing([&] { return inner_.AskAbortIgnoreCancel(text); });
}

}  // namespace tulvo::cli
