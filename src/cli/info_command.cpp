#include <cstdio>
#include <optional>

#include "actions/gateway_actions.h"

#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "model/cp1251.h"
#include "sync/sys_info.h"

namespace tulvo::cli {
namespace {

void PrintSysInfo(const SysInfo& info) {
    std::printf("Версия программного обеспечения Tulvo Univerrsal: %s\n",
                Cp1251ToUtf8(info.firmware).c_str());
    std::printf("IMEI код: %s\n", Cp1251ToUtf8(info.imei).c_str());
    std::printf("Уровень принимаемого сигнала: %d\n", info.signal);
    std::printf("Версия бутлоадера: %s\n", info.BootloaderText().c_str());
    std::fflush(stdout);
}

int RunInfo(const CliArgs& args) {
    return RunGatewayCommand(args, args.Op(), [](GatewayActions& actions) {
        const std::optional<SysInfo> info = actions.ReadSysInfo();
        if (!info) {
            return kExitFailed;
        }
        PrintSysInfo(*info);
        return kExitDone;
    });
}

}  // namespace

CliCommand InfoCommand() {
    return {"info", RunInfo, "--port DEV", "firmware, IMEI, signal, bootloader", "port sysfs"};
}

}  // namespace tulvo::cli
