#include "cli/gateway_session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "actions/gateway_actions.h"
#include "cli/cli_command.h"
#include "cli/progress_line.h"
#include "link/port_most.h"
#include "model/t_data.h"
#include "store/image_store.h"
#include "store/registry_key.h"
#include "store/registry_store.h"
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

// True when the store holds an image this program saved: settings blocks
// or a subscriber record.
bool StoreHasImage(RegistryStore& store) {
    for (std::string_view key : {kSettingKey, kDBaseKey}) {
        const RegistryKey open = store.OpenKey(key);
        if (open.ReadBinary("SettingFXO") || open.ReadBinary("AbInfo1")) {
            return true;
        }
    }
    return false;
}

// A store that the transfer's end could not save is found out before the
// transfer starts: the file must be writable or, for a new one, the nearest
// folder that exists (the save creates the missing ones).
bool StoreWritable(const std::string& path, std::string& why) {
    struct stat info {};
    bool writable = false;
    if (::stat(path.c_str(), &info) == 0) {
        writable = ::access(path.c_str(), W_OK) == 0;
    } else {
        std::filesystem::path folder = std::filesystem::absolute(path).parent_path();
        while (::stat(folder.c_str(), &info) != 0 && folder.has_parent_path() &&
               folder != folder.parent_path()) {
            folder = folder.parent_path();
        }
        writable = S_ISDIR(info.st_mode) && ::access(folder.c_str(), W_OK) == 0;
    }
    if (!writable) {
        why = "Невозможно сохранить файл " + path + "!";
    }
    return writable;
}

}  // namespace

bool StoreHoldsImage(const std::string& path, RegistryStore& store, std::string& why) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "Файл настроек " + path + " не найден.";
        return false;
    }
    if (::access(path.c_str(), R_OK) != 0) {
        why = "Нет доступа на чтение файла настроек " + path + ".";
        return false;
    }
    if (!StoreHasImage(store)) {
        why = "Файл " + path + " не содержит настроек шлюза.";
        return false;
    }
    return true;
}

DeviceAccess GatewayAccess(const CliArgs& args, TPortMost& port, Operator& op) {
    std::string why;
    const std::string device = ResolvePortDevice(args, why);
    return DeviceAccess{port, op, [device] { return device; }, why};
}

std::string SysfsRoot(const CliArgs& args) {
    return args.Value("sysfs").value_or("/sys");
}

void AddEnvironmentPorts(PortDiscovery& discovery) {
    if (!discovery.AddExtraPortsFromEnvironment()) {
        std::fprintf(stderr, "tulvo: %s: entries that are not name=path[:usb] are skipped\n",
                     PortDiscovery::kEnvironmentVariable);
    }
}

std::string ResolvePortDevice(const CliArgs& args, std::string& why) {
    const std::string port = args.Required("port");
    if (port.find('/') != std::string::npos) {
        return port;
    }
    PortDiscovery discovery(SysfsRoot(args));
    AddEnvironmentPorts(discovery);
    if (const std::optional<std::string> device = discovery.ListedDevicePath(port)) {
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
    TPortMost port(args.Timing());
    const DeviceAccess access = GatewayAccess(args, port, op);
    GatewayActions actions(access);
    return command(actions);
}

GatewayActions::TransferOutcome TransferWithProgress(const CliArgs& args, TData& image,
                                                     Transfer transfer, bool verify) {
    TransferProgress progress;
    TPortMost port(args.Timing());
    GatewayActions::TransferOutcome outcome;
    {
        const bool read = transfer == Transfer::Read;
        ProgressLine line(args.Op(), progress, read ? "Чтение данных" : "Запись данных",
                          isatty(STDERR_FILENO) == 1);
        GatewayActions actions(GatewayAccess(args, port, line));
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
    if (transfer == Transfer::Read && !StoreWritable(path, why)) {
        args.Op().Error(why);
        return kExitFailed;
    }
    const bool defaults = args.Has("factory-defaults");
    if (transfer == Transfer::Write && !defaults && !StoreHoldsImage(path, store, why)) {
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
    if (!SaveImage(*image, store)) {
        args.Op().Error("Невозможно сохранить файл " + store.Path() + "! " + store.LastError());
        return kExitFailed;
    }
    return outcome.transferred && !outcome.problemsTold ? kExitDone : kExitFailed;
}

}  // namespace tulvo::cli
