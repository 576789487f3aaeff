#include "actions/trace_log.h"

#include <algorithm>
#include <utility>

#include "link/trace_line.h"

namespace tulvo {

TraceLog::TraceLog(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

void TraceLog::Record(const TraceEvent& event) {
    // Formatted outside the lock: the window's fetch never waits for it.
    Add(FormatTraceLine(event), IsTroubleEvent(event));
}

void TraceLog::Add(std::string text, bool trouble) {
    const std::lock_guard lock(mutex_);
    if (lines_.size() == capacity_) {
        lines_.pop_front();
    }
    lines_.push_back(Line{++lastSequence_, std::move(text), trouble});
}

std::vector<TraceLog::Line> TraceLog::LinesAfter(std::uint64_t after, std::size_t limit) const {
    const std::lock_guard lock(mutex_);
    std::vector<Line> found;
    if (lines_.empty() || after >= lastSequence_) {
        return found;
    }
    // Sequences in the log are consecutive, so the first line wanted is
    // found by arithmetic.
    const std::uint64_t first = lines_.front().sequence;
    const std::size_t skip = after < first ? 0 : static_cast<std::size_t>(after - first + 1);
    const std::size_t count = std::min(limit, lines_.size() - skip);
    found.reserve(count);
    std::copy_n(lines_.begin() + static_cast<std::ptrdiff_t>(skip), count,
                std::back_inserter(found));
    return found;
}

std::uint64_t TraceLog::LastSequence() const {
    const std::lock_guard lock(mutex_);
    return lastSequence_;
}

void TraceLog::Clear() {
    const std::lock_guard lock(mutex_);
    lines_.clear();
}

}  // namespace tulvo
