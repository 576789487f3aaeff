#pragma once

#include <string>

#include "link/link_timing.h"

namespace tulvo {

class TData;
class RegistryStore;
class Operator;

// What the windows of the desktop program share. The image, the store and the
// operator are owned by main() and outlive every window; the main window
// creates and owns the one TPortMost and lends it to the windows it opens.
struct AppContext {
    TData& image;
    RegistryStore& store;
    Operator& op;
    LinkTiming timing{};
    // Ports added at run time, in the TULVO_EXTRA_PORTS syntax
    // "name=path[:usb],..." (the demo gateway joins this way).
    std::string extraPorts;
    // Root of the sysfs tree that port discovery scans ("/sys" on a real system).
    std::string sysfsRoot = "/sys";
    // Folder of the call-log table file.
    std::string dataDir;
};

}  // namespace tulvo
