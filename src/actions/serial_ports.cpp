#include "actions/serial_ports.h"

#include "link/network_address.h"
#include "link/port_discovery.h"

namespace tulvo {

SerialPorts::SerialPorts(const std::filesystem::path& sysfsRoot)
    : discovery_(std::make_unique<PortDiscovery>(sysfsRoot)) {}

SerialPorts::~SerialPorts() = default;

std::vector<std::string> SerialPorts::ListSerialPorts() const {
    return discovery_->ListSerialPorts();
}

std::vector<std::string> SerialPorts::ListUsbPorts() const {
    return discovery_->ListUsbPorts();
}

std::string SerialPorts::DevicePath(const std::string& name) const {
    return discovery_->DevicePath(name);
}

std::optional<std::string> SerialPorts::ListedDevicePath(const std::string& name) const {
    return discovery_->ListedDevicePath(name);
}

std::string SerialPorts::Describe(const std::string& name) const {
    return discovery_->Describe(name);
}

void SerialPorts::AddExtraPort(const std::string& name, const std::string& path, bool usb) {
    discovery_->AddExtraPort({name, path, usb});
}

std::optional<SerialPorts::NetworkPort> SerialPorts::AddNetworkPort(const std::string& address,
                                                                    std::string& why) {
    const std::optional<NetworkAddress> parsed = NetworkAddress::Parse(address, &why);
    if (!parsed) {
        return std::nullopt;
    }
    NetworkPort port{parsed->HostPort(), parsed->Text()};
    discovery_->AddExtraPort({port.name, port.address, false});
    return port;
}

bool SerialPorts::IsNetworkName(const std::string& name) {
    return NetworkAddress::IsNetworkName(name);
}

std::string SerialPorts::NetworkNameProblem(const std::string& name) {
    std::string why;
    NetworkAddress::Parse(name, &why);
    return why;
}

void SerialPorts::RemoveExtraPort(const std::string& name) {
    discovery_->RemoveExtraPort(name);
}

bool SerialPorts::AddExtraPortsFromEnvironment() {
    return discovery_->AddExtraPortsFromEnvironment();
}

const char* SerialPorts::EnvironmentVariable() {
    return PortDiscovery::kEnvironmentVariable;
}

}  // namespace tulvo
