#pragma once

#include <string>

#include "actions/link_speed.h"

namespace tulvo {

class TData;
class RegistryStore;
class Operator;
class SerialPorts;

// What the windows of the desktop program share. The image, the store and the
// operator are owned by main() and outlive every window; the main window
// owns the one protocol object (a DeviceLink) and lends it to the windows it
// opens.
struct AppContext {
    TData& image;
    RegistryStore& store;
    Operator& op;
    // The ports of this machine, with the extra ports already added
    // (TULVO_EXTRA_PORTS, the demo gateway).
    SerialPorts& ports;
    LinkSpeed linkSpeed{};
    // Folder of the call-log table file.
    std::string dataDir;
};

}  // namespace tulvo
