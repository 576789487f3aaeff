#include <unistd.h>

#include <cstdio>

#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "cli/progress_line.h"
#include "store/image_store.h"
#include "sync/image_transfer.h"

namespace tulvo::cli {
namespace {

int RunRead(const CliArgs& args) {
    return RunWithGateway(args, [&](TData& image, RegistryStore& store, TPortMost& port) {
        TransferProgress progress;
        bool done = false;
        {
            ProgressLine line(args.Op(), progress, "Чтение данных", isatty(STDERR_FILENO) == 1);
            done = ImageTransfer(image, port, line, progress).FullRead();
        }
        if (done) {
            args.Op().Message("Чтение завершено!");
        }
        // What was read is stored even when the read stopped early.
        SaveSubscribers(image, store);
        return done;
    });
}

}  // namespace

CliCommand ReadCommand() {
    return {"read", RunRead, "--port DEV", "whole image from the gateway into the store",
            "port sysfs"};
}

}  // namespace tulvo::cli
