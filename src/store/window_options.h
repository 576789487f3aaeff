#pragma once

#include <string>
#include <vector>

#include "link/port_discovery.h"
#include "store/registry_store.h"

namespace tulvo {

// Options of the main window kept under the Setting key. The default port is
// the first serial port, named as on Linux.
struct MainWindowOptions {
    std::string portName = PortDiscovery::kDefaultPort;  // "PortName"
    bool usbCom = false;       // "USB_COM": connect through the gateway's USB port
    bool abHelpEnable = true;  // "ABHelpEnable": the help pane is shown
    bool verifyRead = false;   // "VerifyRead": "Чтение" reads each record until two agree
    // "NetworkPorts": the serial device servers the operator added, as
    // tcp://HOST:PORT, in the order added (one text, comma-separated).
    std::vector<std::string> networkPorts = {};
};

// Reads "PortName" (empty or missing: the default port), "USB_COM" and
// "ABHelpEnable". When one of the two booleans cannot be read, writes the
// default port, "USB_COM" = 0 and "ABHelpEnable" = 1, and returns the
// serial-port choice with the help pane shown, keeping a port name that was
// read. "NetworkPorts" is read as it is; a missing value is no network port.
MainWindowOptions LoadMainWindowOptions(RegistryStore& store);
bool SaveMainWindowOptions(RegistryStore& store, const MainWindowOptions& options);

// "DSHelpEnable" of the device parameters dialog; when it cannot be read, 1 is
// written and used.
bool LoadDeviceHelpEnable(RegistryStore& store);
bool SaveDeviceHelpEnable(RegistryStore& store, bool enabled);

}  // namespace tulvo
