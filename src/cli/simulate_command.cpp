#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/cli_command.h"
#include "sim/demo_call_log.h"
#include "sim/gateway.h"
#include "sim/pacing.h"

namespace tulvo::cli {
namespace {

// Makes `link` a symbolic link to `target`, replacing an old symbolic link
// but never another kind of file.
bool MakeLink(const std::string& target, const std::string& link, std::string& error) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = link + " exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        error = link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Removes the link only while it still points at our device.
void RemoveLink(const std::string& target, const std::string& link) {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (n > 0 && buffer.substr(0, static_cast<std::size_t>(n)) == target) {
        ::unlink(link.c_str());
    }
}

void Configure(const CliArgs& args, sim::Gateway& gateway) {
    gateway.Log().SetKeepLimit(10000);  // nobody reads it here; keep memory bounded
    for (const auto& text : args.Values("fault")) {
        std::string error;
        auto rule = sim::ParseFaultRule(text, &error);
        if (!rule) {
            throw UsageError(error);
        }
        gateway.Faults().Add(*rule);
    }
    if (auto seed = args.Int("seed", 0, 0xFFFFFFFFL)) {
        gateway.Faults().SetSeed(static_cast<std::uint32_t>(*seed));
    }
    if (args.Has("call-log")) {
        for (auto& block : sim::DemoCallLogBlocks()) {
            gateway.State().AddLogBlock(std::move(block));
        }
    }
    sim::Pacing pacing;
    // Without --baud the replies come at once; a given rate must be one the
    // link can be set to, so that the pacing is that of a real line.
    if (const auto baud = args.Int("baud", 0, 4000000)) {
        if (!sim::Pacing::IsLineRate(static_cast<int>(*baud))) {
            throw UsageError("bad value for --baud: " + std::to_string(*baud) +
                             " (the link runs at " + sim::Pacing::LineRatesText() + ")");
        }
        pacing.baud = static_cast<int>(*baud);
    }
    pacing.latency = std::chrono::milliseconds(args.Int("latency-ms", 0, 60000).value_or(0));
    gateway.SetPacing(pacing);
}

// Serves until a stop signal arrives, or until a hang-up fault has made the
// device disappear (there is nothing left to serve then).
void WaitForStop(const sigset_t& stopSignals, const sim::Gateway& gateway) {
    const timespec tick{0, 200 * 1000 * 1000};
    while (!gateway.HungUp()) {
        if (sigtimedwait(&stopSignals, nullptr, &tick) > 0) {
            return;
        }
    }
}

int RunSimulate(const CliArgs& args) {
    sim::Gateway gateway;
    Configure(args, gateway);
    // Block the stop signals before the serving thread starts, so it
    // inherits the mask and only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&stopSignals, signal);
    }
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    if (!gateway.Start()) {
        args.Op().ErrorWithDetail("Невозможно открыть порт!", gateway.Error());
        return kExitFailed;
    }
    const auto link = args.Value("link");
    std::string error;
    if (link && !MakeLink(gateway.DevicePath(), *link, error)) {
        args.Op().Error(error);
        return kExitFailed;
    }
    std::printf("%s\n", gateway.DevicePath().c_str());
    std::fflush(stdout);
    WaitForStop(stopSignals, gateway);
    gateway.Stop();
    if (link) {
        RemoveLink(gateway.DevicePath(), *link);
    }
    return kExitDone;
}

}  // namespace

CliCommand SimulateCommand() {
    return {"simulate", RunSimulate,
            "[--link PATH] [--baud N] [--latency-ms N] [--fault RULE]... [--seed N] [--call-log]",
            "serve a simulated gateway on a pseudo-terminal until stopped",
            "link baud latency-ms fault seed call-log"};
}

}  // namespace tulvo::cli
