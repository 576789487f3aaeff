#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "sync/clock_sync.h"

namespace tulvo::cli {
namespace {

int RunClock(const CliArgs& args) {
    return RunWithGateway(args, [&](TData&, RegistryStore&, TPortMost& port) {
        return ClockSync(port, args.Op()).SetClock();
    });
}

}  // namespace

CliCommand ClockCommand() {
    return {"clock", RunClock, "--port DEV", "set the gateway's clock", "port sysfs"};
}

}  // namespace tulvo::cli
