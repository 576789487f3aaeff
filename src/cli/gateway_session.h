#pragma once

#include <functional>
#include <string>

#include "actions/device_access.h"
#include "actions/gateway_actions.h"
#include "cli/cli_args.h"

namespace tulvo {
class DeviceLink;
class RegistryStore;
class SerialPorts;
class TData;
class TransferProgress;
}  // namespace tulvo

namespace tulvo::cli {

// The sysfs tree that port discovery scans: --sysfs DIR, or /sys.
std::string SysfsRoot(const CliArgs& args);

// Adds the ports of TULVO_EXTRA_PORTS; an entry that does not parse is
// reported on standard error and skipped.
void AddEnvironmentPorts(SerialPorts& ports);

// The device for --port: tcp://HOST:PORT is a network port (a malformed
// one gives no device, with the reason in `why`), another value with a '/'
// is a path and used as given, anything else must be a port name as
// `tulvo ports` lists it. An unlisted
// name gives an empty device and, in `why`, the reason. Throws UsageError
// when --port is missing or empty.
std::string ResolvePortDevice(const CliArgs& args, std::string& why);

// The --port device (an unlisted name gives none, with the reason as the
// detail of "Невозможно открыть порт!") with the given link and operator.
DeviceAccess GatewayAccess(const CliArgs& args, DeviceLink& link, Operator& op);

// Runs one command's conversation with the gateway: the actions get the
// --port device, and the operator given here.
int RunGatewayCommand(const CliArgs& args, Operator& op,
                      const std::function<int(GatewayActions&)>& command);

// Runs a long job in place; while it runs, SIGINT and SIGTERM ask it to stop
// through its progress object instead of ending the program.
bool RunStoppable(TransferProgress& progress, const std::function<bool(TransferProgress&)>& job);

// A whole-image transfer and what it asks of the store.
enum class Transfer {
    // Gateway -> store: the store must be writable before anything is read.
    Read,
    // Store -> gateway: the store must exist and be a settings store, unless
    // --factory-defaults asks for the defaults to be sent.
    Write,
};

// A whole-image transfer over --port with a progress line on a terminal;
// SIGINT and SIGTERM stop it before its next transaction.
GatewayActions::TransferOutcome TransferWithProgress(const CliArgs& args, TData& image,
                                                     Transfer transfer, bool verify);

// The course of `read` and `write`: check the store before anything goes
// out, load the image, run the transfer with a progress line (SIGINT and
// SIGTERM stop it before its next transaction), and save the store once at
// the end when the port opened, what was read so far included. Exit 0 only
// when the transfer ran through, no problem was told, and the store was
// saved.
int RunImageTransfer(const CliArgs& args, Transfer transfer);

}  // namespace tulvo::cli
