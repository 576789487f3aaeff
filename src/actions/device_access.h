#pragma once

#include <functional>
#include <string>

namespace tulvo {

class TPortMost;
class Operator;

// What the main window lends to every window that talks to the gateway: its
// one protocol object, the operator, and the connection bar's choice of
// port. portName() returns the device to open, or an empty string when no
// usable port is chosen; it is asked at the start of every action.
struct DeviceAccess {
    TPortMost& port;
    Operator& op;
    std::function<std::string()> portName;
    // Why portName() can give no device, for the operator's detail text.
    std::string noPortDetail = {};
};

}  // namespace tulvo
