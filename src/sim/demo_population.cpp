#include "sim/demo_population.h"

namespace tulvo::sim {

void SeedDemoPopulation(GatewayState& state, const DemoPopulation& population) {
    for (const auto& entry : population.records) {
        state.Put(entry.family, entry.index, entry.bytes);
    }
    for (const auto& block : population.callLog) {
        state.AddLogBlock(block);
    }
    state.SetAccountBalance(population.accountBalance);
}

}  // namespace tulvo::sim
