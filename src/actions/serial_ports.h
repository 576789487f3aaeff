#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tulvo {

class PortDiscovery;

// The serial ports a front end offers the operator: those this machine has,
// and the ports added at run time (TULVO_EXTRA_PORTS, the demo gateway),
// which join the lists as if discovered. Names are tty names (ttyACM0); the
// device to open for a name is answered here. Thread-safe as the discovery
// is: ports may be added while another thread lists.
class SerialPorts {
  public:
    // Scans <sysfsRoot>/class/tty; tests pass a fake tree.
    explicit SerialPorts(const std::filesystem::path& sysfsRoot = "/sys");
    ~SerialPorts();
    SerialPorts(const SerialPorts&) = delete;
    SerialPorts& operator=(const SerialPorts&) = delete;

    // Every serial port present now, and the gateway's USB ports among them.
    std::vector<std::string> ListSerialPorts() const;
    std::vector<std::string> ListUsbPorts() const;

    // The device to open for a port name; empty for an empty name.
    std::string DevicePath(const std::string& name) const;
    // The device for a name that is listed now; nothing for any other name
    // (and for a path).
    std::optional<std::string> ListedDevicePath(const std::string& name) const;
    // What a listed port is, for the operator; empty when nothing is known.
    std::string Describe(const std::string& name) const;

    // A serial device server reached over TCP, as the desktop program
    // offers it: listed as a COM port under `name` (HOST:PORT), described by
    // and opened at `address` (tcp://HOST:PORT).
    struct NetworkPort {
        std::string name;
        std::string address;

        bool operator==(const NetworkPort&) const = default;
    };
    // Offers the device server at `address` (tcp://HOST:PORT). Nothing, with
    // the reason for the operator in `why`, when the address is malformed.
    std::optional<NetworkPort> AddNetworkPort(const std::string& address, std::string& why);

    // Whether a port name asks for a network port (tcp://...), well-formed
    // or not, and what is wrong with it (empty when it is well-formed).
    static bool IsNetworkName(const std::string& name);
    static std::string NetworkNameProblem(const std::string& name);

    // Offers `path` under `name`, as a gateway USB port when usb is set.
    void AddExtraPort(const std::string& name, const std::string& path, bool usb);
    void RemoveExtraPort(const std::string& name);
    // Adds the ports the environment names; false when some entry does not
    // parse (the others are still added).
    bool AddExtraPortsFromEnvironment();
    // The environment variable that names extra ports.
    static const char* EnvironmentVariable();

  private:
    std::unique_ptr<PortDiscovery> discovery_;
};

}  // namespace tulvo
