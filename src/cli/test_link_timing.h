#pragma once

#include "actions/link_speed.h"

namespace tulvo::cli {

// The environment variable through which the test suite gives `tulvo` short
// link timings, so that a silent gateway costs milliseconds instead of
// seconds. Its value is the read time-out in milliseconds; the pauses follow
// in the protocol's proportions (LinkSpeed::Short). It is meant for tests
// only and is not part of the program's documented interface.
inline constexpr const char* kTestLinkTimingVariable = "TULVO_TEST_ONLY_LINK_TIMING_MS";

// The protocol's link speed, or the short one the variable asks for when it
// holds a whole number of milliseconds from 1 to 10000. Any other value is
// ignored.
LinkSpeed LinkSpeedFromEnvironment();

}  // namespace tulvo::cli
