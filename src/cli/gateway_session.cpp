#include "cli/gateway_session.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

#include "actions/device_link.h"
#include "actions/gateway_actions.h"
#include "actions/serial_ports.h"
#include "cli/cli_command.h"
#include "cli/progress_line.h"
#include "model/t_data.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "store/store_file_checks.h"
#include "sync/transfer_progress.h"

namespace tulvo::cli {
namespace {

// The transfer that SIGINT or SIGTERM asks to stop; null outside transfers.
std::atomic<TransferProgress*> stoppable{nullptr};

extern "C" void RequestStop(int) {
    if (TransferProgress* progress = stoppable.load()) {
        progress->RequestStop();
    }
}

// While alive, SIGINT and SIGTERM stop the transfer instead of the program,
// so the port is closed and what was read is kept.
class StopOnSignals {
  public:
    explicit StopOnSignals(TransferProgress& progress) {
        stoppable.store(&progress);
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopOnSignals() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
        stoppable.store(nullptr);
    }
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

  private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

}  // namespace

DeviceAccess GatewayAccess(const CliArgs& args, DeviceLink& link, Operator& op) {
    std::string why;
    const std::string device = ResolvePortDevice(args, why);
    const auto portName = [device] { return device; };
    return link.Access(op, portName, why);
}

std::string SysfsRoot(const CliArgs& args) {
    return args.Value("sysfs").value_or("/sys");
}

void AddEnvironmentPorts(SerialPorts& ports) {
    if (!ports.AddExtraPortsFromEnvironment()) {
        std::fprintf(stderr,
                     "tulvo: %s: entries that are not name=path[:usb] or name=tcp://HOST:PORT "
                     "are skipped\n",
                     SerialPorts::EnvironmentVariable());
    }
}

std::string ResolvePortDevice(const CliArgs& args, std::string& why) {
    const std::string port = args.Required("port");
    if (SerialPorts::IsNetworkName(port)) {
        why = SerialPorts::NetworkNameProblem(port);
        return why.empty() ? port : std::string();
    }
    if (port.find('/') != std::string::npos) {
        return port;
    }
    SerialPorts ports(SysfsRoot(args));
    AddEnvironmentPorts(ports);
    if (const std::optional<std::string> device = ports.ListedDevicePath(port)) {
        return *device;
    }
    why = "Порт " + port + " не найден среди последовательных портов (см. tulvo ports).";
    return {};
}

bool RunStoppable(TransferProgress& progress, const std::function<bool(TransferProgress&)>& job) {
    StopOnSignals stopOnSignals(progress);
    return job(progress);
}

int RunGatewayCommand(const CliArgs& args, Operator& op,
                      const std::function<int(GatewayActions&)>& command) {
    DeviceLink link(args.Speed(), args.Trace());
    const DeviceAccess access = GatewayAccess(args, link, op);
    GatewayActions actions(access);
    return command(actions);
}

GatewayActions::TransferOutcome TransferWithProgress(const CliArgs& args, TData& image,
                                                     Transfer transfer, bool verify) {
    TransferProgress progress;
    DeviceLink link(args.Speed(), args.Trace());
    GatewayActions::TransferOutcome outcome;
    {
        const bool read = transfer == Transfer::Read;
        ProgressLine line(args.Op(), progress, read ? "Чтение данных" : "Запись данных",
                          isatty(STDERR_FILENO) == 1);
        GatewayActions actions(GatewayAccess(args, link, line));
        auto run = [&progress](const GatewayActions::Job& job) {
            return RunStoppable(progress, job);
        };
        outcome = read ? actions.ReadImage(image, run, verify) : actions.WriteImage(image, run);
    }
    if (progress.StopRequested()) {
        std::fputs("tulvo: прервано по сигналу, порт закрыт\n", stderr);
    }
    return outcome;
}

int RunImageTransfer(const CliArgs& args, Transfer transfer) {
    args.Required("port");  // a usage error comes before anything else
    const std::string path = args.StorePath();
    RegistryStore store(path);
    if (!store.Open()) {
        args.Op().Error(store.Problem());
        return kExitFailed;
    }
    std::string why;
    if (transfer == Transfer::Read && !store_file_checks::Writable(path, why)) {
        args.Op().Error(why);
        return kExitFailed;
    }
    const bool defaults = args.Has("factory-defaults");
    if (transfer == Transfer::Write && !defaults &&
        !store_file_checks::HoldsImage(path, store, why)) {
        args.Op().Error(why +
                        " Запись в шлюз отменена; заводские настройки отправляются "
                        "только с --factory-defaults.");
        return kExitFailed;
    }
    auto image = std::make_unique<TData>();
    if (!defaults) {
        LoadImage(*image, store);
    }

    const GatewayActions::TransferOutcome outcome =
        TransferWithProgress(args, *image, transfer, args.Has("verify"));
    if (!outcome.opened) {
        return kExitFailed;
    }
    // After a whole read the store mirrors the gateway; otherwise only what
    // changed is saved.
    const bool read = transfer == Transfer::Read && outcome.transferred;
    if (!(read ? SaveReadImage(*image, store) : SaveImage(*image, store))) {
        args.Op().Error("Невозможно сохранить файл " + store.Path() + "! " + store.LastError());
        return kExitFailed;
    }
    return outcome.transferred && !outcome.problemsTold ? kExitDone : kExitFailed;
}

}  // namespace tulvo::cli
