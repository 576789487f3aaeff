#include "link/port_discovery.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "link/network_address.h"

namespace tulvo {
namespace fs = std::filesystem;

namespace {

// The first line of a sysfs attribute, without surrounding blanks; empty
// when the file cannot be read.
std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    const auto first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = line.find_last_not_of(" \t\r\n");
    return line.substr(first, last - first + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

PortDiscovery::PortDiscovery(fs::path sysfsRoot) : sysfsRoot_(std::move(sysfsRoot)) {}

bool PortDiscovery::IsGatewayUsbId(const std::string& vendor, const std::string& product) {
    const std::string v = Lower(vendor);
    return (v == "c251" || v == "ffff") && Lower(product) == "1305";
}

std::vector<PortDiscovery::Tty> PortDiscovery::ScanTtys() const {
    std::vector<Tty> ttys;
    std::error_code ec;
    fs::directory_iterator it(sysfsRoot_ / "class" / "tty", ec);
    if (ec) {
        return ttys;
    }
    for (const auto& entry : it) {
        if (auto tty = InspectTty(entry.path())) {
            ttys.push_back(*tty);
        }
    }
    std::sort(ttys.begin(), ttys.end(), [](const Tty& a, const Tty& b) { return a.name < b.name; });
    return ttys;
}

std::optional<PortDiscovery::Tty> PortDiscovery::InspectTty(const fs::path& ttyDir) const {
    std::error_code ec;
    const fs::path deviceLink = ttyDir / "device";
    if (!fs::exists(deviceLink, ec)) {
        return std::nullopt;  // virtual consoles, pseudo-terminals
    }
    Tty tty{ttyDir.filename().string()};
    if (IsAbsentLegacyUart(ttyDir, tty.name)) {
        return std::nullopt;
    }
    const fs::path device = fs::canonical(deviceLink, ec);
    tty.gatewayUsb = !ec && HasGatewayUsbAncestor(device);
    return tty;
}

// The 8250 driver registers a tty for every configured line, present or not;
// its serial core reports the UART type it probed, 0 meaning none.
bool PortDiscovery::IsAbsentLegacyUart(const fs::path& ttyDir, const std::string& name) const {
    std::error_code ec;
    const fs::path driver = fs::read_symlink(ttyDir / "device" / "driver", ec);
    const bool legacy = StartsWith(name, "ttyS") || (!ec && driver.filename() == "serial8250");
    if (!legacy) {
        return false;
    }
    const std::string type = ReadAttribute(ttyDir / "type");
    return type.empty() || std::strtol(type.c_str(), nullptr, 10) == 0;
}

// The USB device that carries a tty's device: the first directory above it
// with idVendor, below the sysfs root.
std::optional<fs::path> PortDiscovery::UsbDeviceAbove(const fs::path& device) const {
    std::error_code ec;
    const fs::path root = fs::weakly_canonical(sysfsRoot_, ec);
    for (fs::path dir = device; !dir.empty() && dir != root && dir != dir.root_path();
         dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", ec)) {
            return dir;
        }
    }
    return std::nullopt;
}

bool PortDiscovery::HasGatewayUsbAncestor(const fs::path& device) const {
    const std::optional<fs::path> usb = UsbDeviceAbove(device);
    return usb &&
           IsGatewayUsbId(ReadAttribute(*usb / "idVendor"), ReadAttribute(*usb / "idProduct"));
}

std::string PortDiscovery::Describe(const std::string& name) const {
    {
        std::lock_guard lock(mutex_);
        for (const ExtraPort& port : extras_) {
            if (port.name == name) {
                return port.path;
            }
        }
    }
    if (name.empty() || name.find('/') != std::string::npos) {
        return {};
    }
    std::error_code ec;
    const fs::path device = fs::canonical(sysfsRoot_ / "class" / "tty" / name / "device", ec);
    const std::optional<fs::path> usb = ec ? std::nullopt : UsbDeviceAbove(device);
    if (!usb) {
        return {};
    }
    std::string text = ReadAttribute(*usb / "manufacturer");
    const std::string product = ReadAttribute(*usb / "product");
    text += (text.empty() || product.empty() ? "" : " ") + product;
    if (text.empty()) {
        text = "USB-устройство";
    }
    if (const std::string serial = ReadAttribute(*usb / "serial"); !serial.empty()) {
        text += ", сер. № " + serial;
    }
    return text + " (" + Lower(ReadAttribute(*usb / "idVendor")) + ":" +
           Lower(ReadAttribute(*usb / "idProduct")) + ")";
}

bool PortDiscovery::IsExtraName(const std::string& name) const {
    return std::any_of(extras_.begin(), extras_.end(),
                       [&](const ExtraPort& p) { return p.name == name; });
}

std::vector<std::string> PortDiscovery::ListSerialPorts() const {
    const std::vector<Tty> ttys = ScanTtys();
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const Tty& tty : ttys) {
        if (!IsExtraName(tty.name)) {
            names.push_back(tty.name);
        }
    }
    std::error_code ec;
    for (const ExtraPort& port : extras_) {
        // A network port has no path to look for; whether it answers shows
        // when it is opened.
        if (NetworkAddress::IsNetworkName(port.path) || fs::exists(port.path, ec)) {
            names.push_back(port.name);
        }
    }
    return names;
}

std::vector<std::string> PortDiscovery::ListUsbPorts() const {
    const std::vector<Tty> ttys = ScanTtys();
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const Tty& tty : ttys) {
        if (tty.gatewayUsb && !IsExtraName(tty.name)) {
            names.push_back(tty.name);
        }
    }
    for (const ExtraPort& port : extras_) {
        if (port.usb) {
            names.push_back(port.name);
        }
    }
    return names;
}

std::string PortDiscovery::DevicePath(const std::string& name) const {
    if (name.empty()) {
        return {};
    }
    std::lock_guard lock(mutex_);
    for (const ExtraPort& port : extras_) {
        if (port.name == name) {
            return port.path;
        }
    }
    return "/dev/" + name;
}

std::optional<std::string> PortDiscovery::ListedDevicePath(const std::string& name) const {
    if (NetworkAddress::IsNetworkName(name)) {
        return NetworkAddress::Parse(name) ? std::optional(name) : std::nullopt;
    }
    if (name.empty() || name.find('/') != std::string::npos) {
        return std::nullopt;
    }
    bool listed = false;
    {
        std::lock_guard lock(mutex_);
        listed = IsExtraName(name);
    }
    if (!listed) {
        const std::vector<Tty> ttys = ScanTtys();
        listed =
            std::any_of(ttys.begin(), ttys.end(), [&](const Tty& tty) { return tty.name == name; });
    }
    if (!listed) {
        return std::nullopt;
    }
    return DevicePath(name);
}

void PortDiscovery::AddExtraPort(const ExtraPort& port) {
    std::lock_guard lock(mutex_);
    auto same = [&](const ExtraPort& p) { return p.name == port.name; };
    extras_.erase(std::remove_if(extras_.begin(), extras_.end(), same), extras_.end());
    extras_.push_back(port);
}

void PortDiscovery::RemoveExtraPort(const std::string& name) {
    std::lock_guard lock(mutex_);
    auto same = [&](const ExtraPort& p) { return p.name == name; };
    extras_.erase(std::remove_if(extras_.begin(), extras_.end(), same), extras_.end());
}

std::vector<ExtraPort> PortDiscovery::ExtraPorts() const {
    std::lock_guard lock(mutex_);
    return extras_;
}

bool PortDiscovery::AddExtraPortsFromEnvironment() {
    const char* text = std::getenv(kEnvironmentVariable);
    if (text == nullptr) {
        return true;
    }
    bool ok = true;
    for (const ExtraPort& port : ParseExtraPorts(text, &ok)) {
        AddExtraPort(port);
    }
    return ok;
}

std::vector<ExtraPort> PortDiscovery::ParseExtraPorts(const std::string& text, bool* ok) {
    static const std::string kUsbSuffix = ":usb";
    std::vector<ExtraPort> ports;
    bool allParsed = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        if (item.empty()) {
            continue;
        }
        const std::size_t eq = item.find('=');
        ExtraPort port;
        if (eq != std::string::npos) {
            port.name = item.substr(0, eq);
            port.path = item.substr(eq + 1);
        }
        if (port.path.size() >= kUsbSuffix.size() &&
            port.path.compare(port.path.size() - kUsbSuffix.size(), kUsbSuffix.size(),
                              kUsbSuffix) == 0) {
            port.path.resize(port.path.size() - kUsbSuffix.size());
            port.usb = true;
        }
        if (port.name.empty() || port.path.empty() || port.name.find('/') != std::string::npos ||
            (NetworkAddress::IsNetworkName(port.path) && !NetworkAddress::Parse(port.path))) {
            allParsed = false;
            continue;
        }
        ports.push_back(port);
    }
    if (ok != nullptr) {
        *ok = allParsed;
    }
    return ports;
}

}  // namespace tulvo
