#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "link/port_chooser.h"
#include "link/port_discovery.h"

namespace tulvo::cli {
namespace {

void PrintPorts(const PortDiscovery& discovery, const std::vector<std::string>& names,
                const char* kind) {
    for (const std::string& name : names) {
        std::printf("%-4s %-12s %s\n", kind, name.c_str(), discovery.DevicePath(name).c_str());
    }
}

// One line per port: its kind (USB for the gateway's USB interface, COM for
// every other serial port), the name `--port` takes and the device path.
int RunPorts(const CliArgs& args) {
    PortDiscovery discovery(SysfsRoot(args));
    AddEnvironmentPorts(discovery);
    PortChooser chooser(discovery);
    chooser.RefreshPortLists();
    PrintPorts(discovery, chooser.UsbPortList(), "USB");
    PrintPorts(discovery, chooser.ComPortList(), "COM");
    std::fflush(stdout);
    if (chooser.UsbPortList().empty()) {
        args.Op().Message(PortChooser::kNoDeviceText);
    }
    return kExitDone;
}

}  // namespace

CliCommand PortsCommand() {
    return {"ports", RunPorts, "[--sysfs DIR]", "list ports: USB (gateway) and COM", "sysfs"};
}

}  // namespace tulvo::cli
