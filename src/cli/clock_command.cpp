#include "actions/gateway_actions.h"
#include "cli/cli_command.h"
#include "cli/gateway_session.h"

namespace tulvo::cli {
namespace {

// Reads and writes no store.
int RunClock(const CliArgs& args) {
    return RunGatewayCommand(args, args.Op(), [](GatewayActions& actions) {
        return actions.SetClock() ? kExitDone : kExitFailed;
    });
}

}  // namespace

CliCommand ClockCommand() {
    return {"clock", RunClock, "--port DEV", "set the gateway's clock", "port sysfs"};
}

}  // namespace tulvo::cli
