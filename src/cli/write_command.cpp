#include "cli/cli_command.h"
#include "cli/gateway_session.h"

namespace tulvo::cli {
namespace {

int RunWrite(const CliArgs& args) {
    return RunImageTransfer(args, Transfer::Write);
}

}  // namespace

CliCommand WriteCommand() {
    return {"write", RunWrite, "--port DEV [--factory-defaults]",
            "whole image from the store to the gateway, then clock", "port sysfs factory-defaults"};
}

}  // namespace tulvo::cli
