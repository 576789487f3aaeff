// What the traffic trace costs the link, in the transactions of a full read
// against the simulated gateway over a pseudo-terminal:
//  (a) unpaced: the time per transaction that the in-memory log and a file
//      add, for information (a shared machine's noise is of the same order);
//  (b) paced at 115200 baud, a whole read with the trace off against the
//      wire model (target <= 1.03, the link's own target: a link without a
//      trace pays one pointer test per event and nothing else), and with
//      the in-memory log (the desktop program) and a file written line by
//      line (tulvo --trace) against the same read untraced (target <= 1.05).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "actions/trace_file.h"
#include "actions/trace_log.h"
#include "link/port_most.h"
#include "one_cpu.h"
#include "read_mix.h"
#include "sim/gateway.h"

namespace tulvo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kOffRatioTarget = 1.03;
constexpr double kTracedRatioTarget = 1.05;
constexpr int kBaud = 115200;
constexpr auto kLatency = std::chrono::microseconds(200);
constexpr int kUnpacedRuns = 10;
constexpr int kPacedRuns = 2;

// Seconds of the fastest of `runs` full reads, or a negative value when a
// transaction failed.
double BestSeconds(TPortMost& port, int runs) {
    double best = -1;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        const int count = bench::ReadMix(
            port, [](bool done, std::uint8_t status) { return done && status == 0; });
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (count < 0) {
            return -1;
        }
        if (best < 0 || seconds < best) {
            best = seconds;
        }
    }
    return best;
}

struct Traces {
    TraceLog log;
    std::unique_ptr<TraceFile> file;
    std::string path;
};

// Times of the read untraced (and its wire model), with the log and with
// the file.
struct Times {
    double off = -1, model = 0, log = -1, file = -1;
    bool Failed() const { return off < 0 || log < 0 || file < 0; }
};

Times Measure(sim::Gateway& gateway, TPortMost& port, Traces& traces, int runs) {
    Times times;
    port.SetTrace(nullptr);
    gateway.ResetModelledTime();
    times.off = BestSeconds(port, runs);
    times.model = std::chrono::duration<double>(gateway.ModelledTime()).count() / runs;
    port.SetTrace(&traces.log);
    times.log = BestSeconds(port, runs);
    port.SetTrace(traces.file.get());
    times.file = BestSeconds(port, runs);
    port.SetTrace(nullptr);
    return times;
}

constexpr int kTransactions = 300 * 3 + 6 + 186 + 10;

bool Unpaced(sim::Gateway& gateway, TPortMost& port, Traces& traces) {
    gateway.SetPacing({});
    const Times t = Measure(gateway, port, traces, kUnpacedRuns);
    if (t.Failed()) {
        std::printf("unpaced: FAIL (a transaction failed)\n");
        return false;
    }
    std::printf(
        "unpaced, %d transactions: off %.1f us each; the log adds %.1f us, the file %.1f us\n",
        kTransactions, t.off * 1e6 / kTransactions, (t.log - t.off) * 1e6 / kTransactions,
        (t.file - t.off) * 1e6 / kTransactions);
    return true;
}

bool Paced(sim::Gateway& gateway, TPortMost& port, Traces& traces) {
    gateway.SetPacing({kBaud, kLatency});
    const Times t = Measure(gateway, port, traces, kPacedRuns);
    if (t.Failed()) {
        std::printf("paced: FAIL (a transaction failed)\n");
        return false;
    }
    const double offRatio = t.off / t.model;
    const bool offPass = offRatio <= kOffRatioTarget;
    std::printf(
        "paced full read at %d baud, trace off: %.3f s, wire model %.3f s, ratio %.4f (target <= "
        "%.2f): %s\n",
        kBaud, t.off, t.model, offRatio, kOffRatioTarget, offPass ? "PASS" : "FAIL");
    const double logRatio = t.log / t.off;
    const double fileRatio = t.file / t.off;
    const bool onPass = logRatio <= kTracedRatioTarget && fileRatio <= kTracedRatioTarget;
    std::printf(
        "  traced: log %.3f s (ratio %.4f), file %.3f s (ratio %.4f) to the same read untraced "
        "(target <= %.2f): %s\n",
        t.log, logRatio, t.file, fileRatio, kTracedRatioTarget, onPass ? "PASS" : "FAIL");
    return offPass && onPass;
}

}  // namespace
}  // namespace tulvo

int main() {
    tulvo::bench::RunOnOneCpu("link_trace_bench");
    tulvo::sim::Gateway gateway;
    tulvo::TPortMost port;
    if (!tulvo::bench::StartWithFullImage(gateway, port)) {
        return 1;
    }
    tulvo::Traces traces;
    char path[] = "/tmp/tulvo-trace-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    std::string why;
    traces.file = fd < 0 ? nullptr : tulvo::TraceFile::Open(path, why);
    if (fd >= 0) {
        ::close(fd);
    }
    if (!traces.file) {
        std::printf("cannot open a trace file in /tmp: %s\n", why.c_str());
        return 1;
    }
    const bool unpaced = tulvo::Unpaced(gateway, port, traces);
    const bool paced = tulvo::Paced(gateway, port, traces);
    port.Close();
    ::unlink(path);
    return unpaced && paced ? 0 : 1;
}
