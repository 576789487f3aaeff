#pragma once

#include <functional>
#include <string>

#include "cli/cli_args.h"
#include "link/port_discovery.h"

namespace tulvo {
class RegistryStore;
class TData;
class TPortMost;
}  // namespace tulvo

namespace tulvo::cli {

// The sysfs tree that port discovery scans: --sysfs DIR, or /sys.
std::string SysfsRoot(const CliArgs& args);

// Adds the ports of TULVO_EXTRA_PORTS; an entry that does not parse is
// reported on standard error and skipped.
void AddEnvironmentPorts(PortDiscovery& discovery);

// The device for --port: a value with a '/' is a path and used as given,
// anything else is a port name as `tulvo ports` lists it. Throws
// UsageError when --port is missing or empty.
std::string ResolvePortDevice(const CliArgs& args);

// What a command does with the gateway once the port is open.
using GatewayAction = std::function<bool(TData& image, RegistryStore& store, TPortMost& port)>;

// The course of every command that talks to the gateway: load the image
// from the store, open the port ("Невозможно открыть порт!" with the
// system's reason when it does not open), run the action, close the port,
// save the whole image. Exit status 0 only when the action succeeded and
// the store was saved.
int RunWithGateway(const CliArgs& args, const GatewayAction& action);

}  // namespace tulvo::cli
