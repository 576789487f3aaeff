#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "sim/gateway_state.h"

namespace tulvo::sim {

// Prepared record bytes to load into a gateway, so that it looks like one
// in use. The record layouts are built elsewhere (from a configuration
// image); here they are only stored.
struct DemoPopulation {
    struct Entry {
        RecordFamily family;
        int index;
        Bytes bytes;
    };
    std::vector<Entry> records;               // subscribers, lists, SMS, settings blocks
    std::vector<std::vector<Bytes>> callLog;  // call-log blocks of 65-byte records
    std::int32_t accountBalance = 0;          // hundredths
};

// Loads the population into the state, replacing the entries it names.
void SeedDemoPopulation(GatewayState& state, const DemoPopulation& population);

}  // namespace tulvo::sim
