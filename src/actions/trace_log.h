#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "link/link_trace.h"

namespace tulvo {

// The traffic log of a session in memory: the last `capacity` lines of the
// link's trace, each numbered in order, so a long session never grows
// without end. The link records from its own thread while a window fetches
// the lines after the last one it has from another; every call is
// thread-safe.
class TraceLog : public LinkTrace {
  public:
    // Enough for several whole transfers (one read is about two thousand lines).
    static constexpr std::size_t kDefaultCapacity = 20000;

    struct Line {
        std::uint64_t sequence = 0;  // 1 for the first line ever recorded
        std::string text;
        bool trouble = false;  // a failed attempt, a resynchronisation, bytes thrown away
    };

    explicit TraceLog(std::size_t capacity = kDefaultCapacity);

    void Record(const TraceEvent& event) override;

    // The lines kept whose sequence is greater than `after`, oldest first,
    // at most `limit` of them (the oldest ones). A caller that fell behind
    // further than the log reaches gets the oldest lines kept: the gap in the
    // sequence shows what it missed.
    std::vector<Line> LinesAfter(std::uint64_t after, std::size_t limit = SIZE_MAX) const;
    // The sequence of the last line recorded (0 before the first). Clear
    // does not reset it.
    std::uint64_t LastSequence() const;
    // Forgets the lines kept; the numbering goes on.
    void Clear();
    std::size_t Capacity() const { return capacity_; }

  private:
    void Add(std::string text, bool trouble);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<Line> lines_;
    std::uint64_t lastSequence_ = 0;
};

}  // namespace tulvo
