#include <unistd.h>

#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "cli/progress_line.h"
#include "sync/clock_sync.h"
#include "sync/image_transfer.h"

namespace tulvo::cli {
namespace {

int RunWrite(const CliArgs& args) {
    return RunWithGateway(args, [&](TData& image, RegistryStore&, TPortMost& port) {
        TransferProgress progress;
        bool done = false;
        {
            ProgressLine line(args.Op(), progress, "Запись данных", isatty(STDERR_FILENO) == 1);
            done = ImageTransfer(image, port, line, progress).FullWrite();
        }
        if (!done) {
            args.Op().Message("Ошибка при записи данных в устройсво!");
            return false;
        }
        ClockSync(port, args.Op()).AfterWrite();
        return true;
    });
}

}  // namespace

CliCommand WriteCommand() {
    return {"write", RunWrite, "--port DEV",
            "whole image from the store to the gateway, then clock", "port sysfs"};
}

}  // namespace tulvo::cli
