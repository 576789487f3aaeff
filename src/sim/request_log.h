#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace tulvo::sim {

// One well-formed request the gateway received.
struct LoggedRequest {
    std::uint8_t command = 0;
    std::uint8_t requestLength = 0;  // the header's length byte (low 8 bits)
    std::uint8_t replyLength = 0;
    std::uint16_t index = 0;
    std::vector<std::uint8_t> payload;  // as received, checksum byte included
    std::chrono::steady_clock::time_point time;

    // The body as the client framed it: the header with its checksum, then
    // the payload.
    std::vector<std::uint8_t> Body() const;
};

// Requests seen by the gateway, for tests to inspect and wait on. Thread-safe.
// Count() and the waits count every request ever logged; Entries() and
// CountOf() see the ones retained (all of them unless a keep limit is set).
class RequestLog {
  public:
    // Keeps at most about `limit` recent entries (0 = all), so a gateway
    // serving for days does not grow without bound.
    void SetKeepLimit(std::size_t limit);

    void Add(LoggedRequest request);
    // A non-empty frame that was dropped (bad checksum, too short).
    void AddDropped();
    // An empty frame (0A 0D), which clients send to resynchronise.
    void AddEmptyFrame();
    void Clear();

    std::vector<LoggedRequest> Entries() const;
    std::size_t Count() const;
    std::size_t DroppedCount() const;
    std::size_t EmptyFrameCount() const;
    // Requests with this command code.
    std::size_t CountOf(std::uint8_t command) const;

    // Waits until at least n requests were logged; false after the timeout.
    bool WaitForCount(std::size_t n, std::chrono::milliseconds timeout) const;
    // Waits until at least n empty frames arrived; false after the timeout.
    bool WaitForEmptyFrames(std::size_t n, std::chrono::milliseconds timeout) const;
    // Waits until the predicate holds over the entries; false after the
    // timeout. The predicate runs under the log's lock: it must not call back.
    bool WaitFor(const std::function<bool(const std::vector<LoggedRequest>&)>& done,
                 std::chrono::milliseconds timeout) const;

  private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<LoggedRequest> entries_;
    std::size_t total_ = 0;
    std::size_t keepLimit_ = 0;
    std::size_t dropped_ = 0;
    std::size_t emptyFrames_ = 0;
};

}  // namespace tulvo::sim
