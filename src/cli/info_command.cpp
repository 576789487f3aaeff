#include <array>
#include <cstdio>

#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "link/port_most.h"
#include "link/sys_info.h"
#include "model/cp1251.h"

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
    const std::string device = ResolvePortDevice(args);
    TPortMost port(args.Timing());
    if (!port.Open(device)) {
        args.Op().ErrorWithDetail("Невозможно открыть порт!", port.LastOpenError());
        return kExitFailed;
    }
    std::array<std::uint8_t, TPortMost::kMaxPayload> data{};
    std::uint8_t status = 0;
    const bool read = port.ReadSysInfo(data, status) && status == 0 &&
                      port.LastReplyLength() >= SysInfo::kSize - 1;
    port.Close();
    if (!read) {
        args.Op().Error("Ошибка при чтении данных!");
        return kExitFailed;
    }
    PrintSysInfo(SysInfo::Parse(std::span(data).first(SysInfo::kSize)));
    return kExitDone;
}

}  // namespace

CliCommand InfoCommand() {
    return {"info", RunInfo, "--port DEV", "firmware, IMEI, signal, bootloader", "port sysfs"};
}

}  // namespace tulvo::cli
