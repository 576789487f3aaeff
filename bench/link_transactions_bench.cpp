// Transactions of TPortMost against the simulated gateway over a pseudo-terminal,
// in the mix of a full read: 300 x (ReadAbInfo, ReadAbPhone, ReadAbLimit), then
// the five settings blocks, the alarm block, 186 list entries and 10 SMS texts.
//  (a) unpaced: transactions per second (target >= 40000);
//  (b) paced at 115200 baud: measured time / modelled wire time, where the
//      model counts 10 bits per byte in both directions plus the gateway's
//      latency (target <= 1.03).
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "link/port_most.h"
#include "one_cpu.h"
#include "read_mix.h"
#include "sim/gateway.h"

namespace tulvo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kRateTarget = 40000.0;
constexpr double kRatioTarget = 1.03;
constexpr int kBaud = 115200;
constexpr auto kLatency = std::chrono::microseconds(200);
constexpr int kUnpacedRuns = 10;
constexpr int kPacedRuns = 3;

// Runs the mix once; returns the number of transactions, or -1 on a failure.
// Each transaction's time beyond its modelled wire time goes to `excess`.
int ReadMix(TPortMost& port, const sim::Gateway& gateway, std::vector<double>& excess) {
    auto start = Clock::now();
    auto modelled = gateway.ModelledTime();
    return bench::ReadMix(port, [&](bool done, std::uint8_t status) {
        const auto now = Clock::now();
        const auto model = gateway.ModelledTime();
        excess.push_back(std::chrono::duration<double, std::micro>(now - start).count() -
                         static_cast<double>((model - modelled).count()));
        start = now;
        modelled = model;
        return done && status == 0;
    });
}

struct Run {
    int transactions = -1;
    double seconds = 0;
    double modelledSeconds = 0;
    double medianExcessUs = 0;  // per transaction, beyond the wire model
};

Run Measure(sim::Gateway& gateway, TPortMost& port) {
    gateway.ResetModelledTime();
    std::vector<double> excess;
    excess.reserve(1200);
    const auto start = Clock::now();
    Run run;
    run.transactions = ReadMix(port, gateway, excess);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.modelledSeconds = std::chrono::duration<double>(gateway.ModelledTime()).count();
    std::nth_element(excess.begin(), excess.begin() + excess.size() / 2, excess.end());
    run.medianExcessUs = excess.empty() ? 0 : excess[excess.size() / 2];
    return run;
}

// Best of several runs: the machine is shared, and the best run is the one
// least disturbed by other work.
Run Best(sim::Gateway& gateway, TPortMost& port, int runs) {
    Run best;
    for (int i = 0; i < runs; ++i) {
        const Run run = Measure(gateway, port);
        if (run.transactions < 0) {
            return run;
        }
        if (best.transactions < 0 || run.seconds < best.seconds) {
            best = run;
        }
    }
    return best;
}

bool Unpaced(sim::Gateway& gateway, TPortMost& port) {
    gateway.SetPacing({});
    const Run run = Best(gateway, port, kUnpacedRuns);
    if (run.transactions < 0) {
        std::printf("unpaced transactions: FAIL (a transaction failed)\n");
        return false;
    }
    const double rate = run.transactions / run.seconds;
    const bool pass = rate >= kRateTarget;
    std::printf("unpaced transactions: %d in %.3f s = %.0f per second (target >= %.0f): %s\n",
                run.transactions, run.seconds, rate, kRateTarget, pass ? "PASS" : "FAIL");
    return pass;
}

bool Paced(sim::Gateway& gateway, TPortMost& port) {
    gateway.SetPacing({kBaud, kLatency});
    const Run run = Best(gateway, port, kPacedRuns);
    if (run.transactions < 0) {
        std::printf("paced transactions: FAIL (a transaction failed)\n");
        return false;
    }
    const double ratio = run.seconds / run.modelledSeconds;
    const bool pass = ratio <= kRatioTarget;
    std::printf(
        "paced transactions at %d baud, %lld us latency: %d in %.3f s, wire model %.3f s, "
        "ratio %.4f (target <= %.2f): %s\n",
        kBaud, static_cast<long long>(kLatency.count()), run.transactions, run.seconds,
        run.modelledSeconds, ratio, kRatioTarget, pass ? "PASS" : "FAIL");
    // The median shows the cost of one exchange without the scheduling stalls
    // that a busy machine adds to a few of them.
    std::printf("  median time beyond the wire model: %.0f us per transaction (model %.0f us)\n",
                run.medianExcessUs, run.modelledSeconds * 1e6 / run.transactions);
    return pass;
}

}  // namespace
}  // namespace tulvo

int main() {
    tulvo::bench::RunOnOneCpu("link_transactions_bench");
    tulvo::sim::Gateway gateway;
    tulvo::TPortMost port;
    if (!tulvo::bench::StartWithFullImage(gateway, port)) {
        return 1;
    }
    const bool unpaced = tulvo::Unpaced(gateway, port);
    const bool paced = tulvo::Paced(gateway, port);
    return unpaced && paced ? 0 : 1;
}
