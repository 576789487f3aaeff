#include "cli/cli_command.h"
#include "cli/gateway_session.h"

namespace tulvo::cli {
namespace {

int RunRead(const CliArgs& args) {
    return RunImageTransfer(args, Transfer::Read);
}

}  // namespace

CliCommand ReadCommand() {
    return {"read", RunRead, "--port DEV [--verify]", "whole image from the gateway into the store",
            "port sysfs verify"};
}

}  // namespace tulvo::cli
