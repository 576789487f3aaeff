#include "cli/test_link_timing.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "link/link_timing.h"

namespace tulvo::cli {
namespace {

using std::chrono::milliseconds;

// Only a plain whole number of milliseconds in range shortens the link; any
// other value leaves the protocol's timing, so a stray setting cannot make
// every exchange time out at once.
TEST(TestLinkTimingTest, OnlyAWholeNumberInRangeShortensTheLink) {
    const struct {
        const char* value;  // nullptr: not set
        milliseconds readTimeout;
    } cases[] = {
        {nullptr, milliseconds(1000)},  {"100", milliseconds(100)},   {"1", milliseconds(1)},
        {"10000", milliseconds(10000)}, {"0", milliseconds(1000)},    {"10001", milliseconds(1000)},
        {"-5", milliseconds(1000)},     {"20ms", milliseconds(1000)}, {"", milliseconds(1000)},
        {" 20", milliseconds(1000)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(unset)");
        if (c.value) {
            ::setenv("TULVO_TEST_ONLY_LINK_TIMING_MS", c.value, 1);
        } else {
            ::unsetenv("TULVO_TEST_ONLY_LINK_TIMING_MS");
        }
        const LinkTiming timing = LinkSpeedFromEnvironment().Timing();
        EXPECT_EQ(timing.readTimeout, c.readTimeout);
        EXPECT_EQ(timing.noReplyPause, c.readTimeout / 2);
    }
    ::unsetenv("TULVO_TEST_ONLY_LINK_TIMING_MS");
}

}  // namespace
}  // namespace tulvo::cli
