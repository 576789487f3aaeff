#include <cstdio>
#include <memory>
#include <string>

#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "model/t_data.h"
#include "store/config_file.h"
#include "store/image_diff.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "store/store_file_checks.h"

namespace tulvo::cli {
namespace {

// As diff(1) and cmp(1) exit: 0 the same, 1 different, 2 trouble, so that a
// script never takes a failed comparison for a difference.
constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

// Reads the gateway, every record verified, into a scratch image that starts
// as the store's (so the names kept only on this computer compare equal),
// and lists what differs. The store is never written.
int RunDiff(const CliArgs& args) {
    args.Required("port");
    RegistryStore store(args.StorePath());
    if (!store.Open()) {
        args.Op().Error(store.Problem());
        return kExitTrouble;
    }
    std::string why;
    if (!store_file_checks::HoldsImage(args.StorePath(), store, why)) {
        args.Op().Error(why + " Сравнивать не с чем: шлюз не опрашивался.");
        return kExitTrouble;
    }
    auto stored = std::make_unique<TData>();
    LoadImage(*stored, store);
    auto gateway = std::make_unique<TData>();
    CopyImage(*stored, *gateway);
    const auto outcome = TransferWithProgress(args, *gateway, Transfer::Read, true);
    if (!outcome.transferred || outcome.problemsTold) {
        return kExitTrouble;
    }
    const std::vector<std::string> differences = DiffImages(*stored, *gateway);
    for (const std::string& line : differences) {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
    return differences.empty() ? kExitSame : kExitDifferent;
}

}  // namespace

CliCommand DiffCommand() {
    return {"diff",
            RunDiff,
            "--port DEV",
            "what differs between the gateway and the store (nothing is written);\n"
            "  exit status: 0 the same, 1 different, 2 the comparison failed or bad usage",
            "port sysfs",
            0,
            kExitTrouble};
}

}  // namespace tulvo::cli
