#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tulvo {

// A port that did not come from sysfs: the demo gateway's pseudo-terminal or
// one named in TULVO_EXTRA_PORTS. It joins the lists as if discovered.
struct ExtraPort {
    std::string name;
    std::string path;
    bool usb = false;

    bool operator==(const ExtraPort&) const = default;
};

// Finds the serial ports of this machine. A port is a tty under
// <sysfs>/class/tty that has a `device`; it belongs to the gateway's USB
// interface when the first USB device above it has the gateway's vendor and
// product identifiers. Legacy 8250 ports (ttyS*, driver serial8250) exist
// for every possible line, so they count only when the kernel found a UART
// there: their `type` attribute is not 0 (PORT_UNKNOWN).
// Thread-safe: extra ports may be added while another thread lists.
class PortDiscovery {
  public:
    static constexpr const char* kEnvironmentVariable = "TULVO_EXTRA_PORTS";
    // The port chosen until the operator or the store names another.
    static constexpr const char* kDefaultPort = "ttyS0";

    explicit PortDiscovery(std::filesystem::path sysfsRoot = "/sys");

    // Every serial port present now: the discovered ttys and the extra ports
    // whose path exists or is a network address (tcp://), sorted by name.
    std::vector<std::string> ListSerialPorts() const;
    // The gateway's USB ports: discovered ttys with the gateway's USB
    // identity and extra ports marked usb (present or not).
    std::vector<std::string> ListUsbPorts() const;

    // The device to open for a port name: an extra port's path, otherwise
    // /dev/ followed by the name. Empty for an empty name.
    std::string DevicePath(const std::string& name) const;

    // The device to open for a bare port name (no '/') that is listed now:
    // a discovered tty, a gateway USB port or an extra port (present or not).
    // Nothing for a name that is not listed, for an empty name and for a path.
    // A well-formed network address (tcp://HOST:PORT) is its own device;
    // a malformed one gives nothing.
    std::optional<std::string> ListedDevicePath(const std::string& name) const;

    // What a listed port is, for the operator: for a USB port the maker,
    // product and serial number the device reports, with its vendor:product
    // identifiers ("ZARQ Tulvo Universal, сер. № 0042 (c251:1305)"); for an
    // extra port its path; empty when nothing more is known.
    std::string Describe(const std::string& name) const;

    // Adds a port, replacing an extra port of the same name.
    void AddExtraPort(const ExtraPort& port);
    void RemoveExtraPort(const std::string& name);
    std::vector<ExtraPort> ExtraPorts() const;
    // Adds the ports listed in TULVO_EXTRA_PORTS; false when it does not parse
    // (the entries that parse are still added).
    bool AddExtraPortsFromEnvironment();

    // "name=path[:usb],..." -> ports; the path may be tcp://HOST:PORT (only
    // a trailing ":usb" is the flag). Entries without a name or a path, with
    // a '/' in the name, or with a malformed network address are skipped and
    // make *ok false.
    static std::vector<ExtraPort> ParseExtraPorts(const std::string& text, bool* ok = nullptr);

    // Whether a USB vendor:product pair (hexadecimal text, any case) is one
    // of the gateway's two identities.
    static bool IsGatewayUsbId(const std::string& vendor, const std::string& product);

  private:
    struct Tty {
        std::string name;
        bool gatewayUsb = false;
    };

    std::vector<Tty> ScanTtys() const;
    std::optional<Tty> InspectTty(const std::filesystem::path& ttyDir) const;
    bool IsAbsentLegacyUart(const std::filesystem::path& ttyDir, const std::string& name) const;
    bool HasGatewayUsbAncestor(const std::filesystem::path& device) const;
    std::optional<std::filesystem::path> UsbDeviceAbove(const std::filesystem::path& device) const;
    bool IsExtraName(const std::string& name) const;

    std::filesystem::path sysfsRoot_;
    mutable std::mutex mutex_;
    std::vector<ExtraPort> extras_;
};

}  // namespace tulvo
