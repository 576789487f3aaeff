#include <cstdio>
#include <string>
#include <vector>

#include "actions/port_chooser.h"
#include "actions/serial_ports.h"
#include "cli/cli_command.h"
#include "cli/gateway_session.h"

namespace tulvo::cli {
namespace {

void PrintPorts(const SerialPorts& ports, const std::vector<std::string>& names, const char* kind) {
    for (const std::string& name : names) {
        std::printf("%-4s %-12s %s\n", kind, name.c_str(), ports.DevicePath(name).c_str());
    }
}

// One line per port: its kind (USB for the gateway's USB interface, COM for
// every other serial port), the name `--port` takes and the device path.
int RunPorts(const CliArgs& args) {
    SerialPorts ports(SysfsRoot(args));
    AddEnvironmentPorts(ports);
    PortChooser chooser(ports);
    chooser.RefreshPortLists();
    PrintPorts(ports, chooser.UsbPortList(), "USB");
    PrintPorts(ports, chooser.ComPortList(), "COM");
    std::fflush(stdout);
    if (chooser.UsbPortList().empty()) {
        args.Op().Message(PortChooser::kNoDeviceText);
    }
    return kExitDone;
}

}  // namespace

CliCommand PortsCommand() {
    return {"ports", RunPorts, "[--sysfs DIR]",
            "list ports: USB (gateway) and COM;\n"
            "  a serial device server is --port tcp://HOST:PORT",
            "sysfs"};
}

}  // namespace tulvo::cli
