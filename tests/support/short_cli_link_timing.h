#pragma once

#include <cstdlib>

namespace tulvo::test {

// `tulvo` takes short link timings from the environment variable
// TULVO_TEST_ONLY_LINK_TIMING_MS: its value is the read time-out in
// milliseconds (1 to 10000) and the pauses follow in the protocol's
// proportions. Without it a silent attempt costs the protocol's three
// seconds. The variable is for tests only: the program's help does not
// mention it, and its name says what it is for.
//
// While an object of this class lives, the `tulvo` processes started by the
// test inherit a read time-out of 100 ms, so an attempt that goes unanswered
// costs a few tenths of a second. Use it only where a test waits for
// attempts that fail: a loaded machine may answer a healthy exchange more
// slowly than that.
class ShortCliLinkTiming {
  public:
    ShortCliLinkTiming() { ::setenv(kVariable, "100", 1); }
    ~ShortCliLinkTiming() { ::unsetenv(kVariable); }
    ShortCliLinkTiming(const ShortCliLinkTiming&) = delete;
    ShortCliLinkTiming& operator=(const ShortCliLinkTiming&) = delete;

  private:
    static constexpr const char* kVariable = "TULVO_TEST_ONLY_LINK_TIMING_MS";
};

}  // namespace tulvo::test
