#include "sim/request_log.h"

#include <algorithm>

#include "link/crc8.h"

namespace tulvo::sim {

std::vector<std::uint8_t> LoggedRequest::Body() const {
    std::vector<std::uint8_t> body = {command, requestLength, replyLength,
                                      static_cast<std::uint8_t>(index & 0xFF),
                                      static_cast<std::uint8_t>(index >> 8)};
    body.push_back(Crc8(body.data(), body.size()));
    body.insert(body.end(), payload.begin(), payload.end());
    return body;
}

void RequestLog::SetKeepLimit(std::size_t limit) {
    std::lock_guard lock(mutex_);
    keepLimit_ = limit;
}

void RequestLog::Add(LoggedRequest request) {
    {
        std::lock_guard lock(mutex_);
        if (keepLimit_ > 0 && entries_.size() >= keepLimit_) {
            // Drop the older half at once rather than one entry per request.
            entries_.erase(entries_.begin(),
                           entries_.begin() + static_cast<std::ptrdiff_t>(entries_.size() / 2 + 1));
        }
        entries_.push_back(std::move(request));
        ++total_;
    }
    changed_.notify_all();
}

void RequestLog::AddDropped() {
    {
        std::lock_guard lock(mutex_);
        ++dropped_;
    }
    changed_.notify_all();
}

void RequestLog::AddEmptyFrame() {
    {
        std::lock_guard lock(mutex_);
        ++emptyFrames_;
    }
    changed_.notify_all();
}

void RequestLog::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    total_ = 0;
    dropped_ = 0;
    emptyFrames_ = 0;
}

std::vector<LoggedRequest> RequestLog::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::size_t RequestLog::Count() const {
    std::lock_guard lock(mutex_);
    return total_;
}

std::size_t RequestLog::DroppedCount() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

std::size_t RequestLog::EmptyFrameCount() const {
    std::lock_guard lock(mutex_);
    return emptyFrames_;
}

std::size_t RequestLog::CountOf(std::uint8_t command) const {
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [&](const auto& e) { return e.command == command; }));
}

bool RequestLog::WaitForCount(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return total_ >= n; });
}

bool RequestLog::WaitForEmptyFrames(std::size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return emptyFrames_ >= n; });
}

bool RequestLog::WaitFor(const std::function<bool(const std::vector<LoggedRequest>&)>& done,
                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(entries_); });
}

}  // namespace tulvo::sim
