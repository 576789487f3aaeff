#include "cli/gateway_session.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "cli/cli_command.h"
#include "link/port_most.h"
#include "model/t_data.h"
#include "store/image_store.h"
#include "store/registry_store.h"

namespace tulvo::cli {

std::string SysfsRoot(const CliArgs& args) {
    return args.Value("sysfs").value_or("/sys");
}

void AddEnvironmentPorts(PortDiscovery& discovery) {
    if (!discovery.AddExtraPortsFromEnvironment()) {
        std::fprintf(stderr, "tulvo: %s: entries that are not name=path[:usb] are skipped\n",
                     PortDiscovery::kEnvironmentVariable);
    }
}

std::string ResolvePortDevice(const CliArgs& args) {
    const std::string port = args.Required("port");
    if (port.empty()) {
        throw UsageError("--port needs a device path or a port name");
    }
    if (port.find('/') != std::string::npos) {
        return port;
    }
    PortDiscovery discovery(SysfsRoot(args));
    AddEnvironmentPorts(discovery);
    return discovery.DevicePath(port);
}

int RunWithGateway(const CliArgs& args, const GatewayAction& action) {
    const std::string device = ResolvePortDevice(args);
    RegistryStore store(args.StorePath());
    auto image = std::make_unique<TData>();
    LoadImage(*image, store);

    bool done = false;
    TPortMost port(args.Timing());
    if (port.Open(device)) {
        done = action(*image, store, port);
        port.Close();
    } else {
        args.Op().ErrorWithDetail("Невозможно открыть порт!", port.LastOpenError());
    }

    if (!SaveImage(*image, store)) {
        std::fprintf(stderr, "tulvo: %s: %s\n", store.Path().c_str(), store.LastError().c_str());
        return kExitFailed;
    }
    return done ? kExitDone : kExitFailed;
}

}  // namespace tulvo::cli
