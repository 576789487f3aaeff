// The bounded traffic log: what it keeps and what it serves after a sequence.
#include "actions/trace_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tulvo {
namespace {

// Records n events: odd ones are drained bytes (trouble), even ones closes.
void RecordEvents(TraceLog& log, int n) {
    for (int i = 1; i <= n; ++i) {
        TraceEvent event;
        event.kind = i % 2 == 1 ? TraceEvent::Kind::Drained : TraceEvent::Kind::Close;
        event.count = static_cast<std::size_t>(i);
        log.Record(event);
    }
}

std::vector<std::uint64_t> Sequences(const std::vector<TraceLog::Line>& lines) {
    std::vector<std::uint64_t> sequences;
    for (const auto& line : lines) {
        sequences.push_back(line.sequence);
    }
    return sequences;
}

TEST(TraceLog, KeepsTheLastLinesAndServesThoseAfterASequence) {
    struct Case {
        std::size_t capacity;
        int recorded;
        std::uint64_t after;
        std::size_t limit;
        std::vector<std::uint64_t> expected;
    };
    const Case cases[] = {
        {5, 3, 0, SIZE_MAX, {1, 2, 3}},
        {5, 3, 2, SIZE_MAX, {3}},
        {5, 3, 3, SIZE_MAX, {}},
        {5, 3, 9, SIZE_MAX, {}},
        {5, 12, 0, SIZE_MAX, {8, 9, 10, 11, 12}},  // fell behind: the oldest kept
        {5, 12, 9, SIZE_MAX, {10, 11, 12}},
        {5, 12, 0, 2, {8, 9}},
        {1, 4, 0, SIZE_MAX, {4}},
    };
    for (const auto& c : cases) {
        TraceLog log(c.capacity);
        RecordEvents(log, c.recorded);
        const auto lines = log.LinesAfter(c.after, c.limit);
        EXPECT_EQ(Sequences(lines), c.expected)
            << c.capacity << " kept, " << c.recorded << " recorded, after " << c.after;
        for (const auto& line : lines) {
            const bool drained = line.sequence % 2 == 1;
            EXPECT_EQ(line.trouble, drained) << line.text;
            EXPECT_NE(line.text.find(drained ? "! DRAINED " + std::to_string(line.sequence) +
                                                   " late bytes"
                                             : "! CLOSE"),
                      std::string::npos)
                << line.text;
        }
        EXPECT_EQ(log.LastSequence(), static_cast<std::uint64_t>(c.recorded));
    }
}

TEST(TraceLog, ClearForgetsTheLinesButNotTheNumbering) {
    TraceLog log(10);
    RecordEvents(log, 4);
    log.Clear();
    EXPECT_TRUE(log.LinesAfter(0).empty());
    RecordEvents(log, 1);
    EXPECT_EQ(Sequences(log.LinesAfter(4)), std::vector<std::uint64_t>{5});
    EXPECT_EQ(Sequences(log.LinesAfter(0)), std::vector<std::uint64_t>{5});
}

}  // namespace
}  // namespace tulvo
