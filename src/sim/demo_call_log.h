#pragma once

#include <vector>

#include "sim/gateway_state.h"

namespace tulvo::sim {

// Call-log blocks for a demonstration gateway: every call type (also the
// codes without a text), the calling and called sides as the demo's
// subscribers 1 to 12 (12 deactivated in the demo image), as unknown IDs and
// as none, odd dates and times (31 April, 29 February 2025, month 13, day 0,
// hour 24, the year 1999), a number that fills its 19 bytes, and an empty
// block last.
std::vector<std::vector<Bytes>> DemoCallLogBlocks();

}  // namespace tulvo::sim
