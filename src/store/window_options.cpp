#include "store/window_options.h"

#include <algorithm>

#include "store/image_store.h"

namespace tulvo {
namespace {

// A network address holds no comma (host names, IP addresses and port
// numbers have none), so a comma separates the addresses.
constexpr char kSeparator = ',';

std::vector<std::string> SplitAddresses(const std::string& text) {
    std::vector<std::string> addresses;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(kSeparator, start), text.size());
        if (end > start) {
            addresses.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return addresses;
}

std::string JoinAddresses(const std::vector<std::string>& addresses) {
    std::string text;
    for (const std::string& address : addresses) {
        text += (text.empty() ? "" : std::string(1, kSeparator)) + address;
    }
    return text;
}

}  // namespace

MainWindowOptions LoadMainWindowOptions(RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    MainWindowOptions options;
    const std::string name = key.ReadString("PortName").value_or("");
    if (!name.empty()) {
        options.portName = name;
    }
    options.verifyRead = key.ReadBool("VerifyRead").value_or(false);
    options.networkPorts = SplitAddresses(key.ReadString("NetworkPorts").value_or(""));
    const auto usbCom = key.ReadBool("USB_COM");
    const auto help = key.ReadBool("ABHelpEnable");
    if (usbCom && help) {
        options.usbCom = *usbCom;
        options.abHelpEnable = *help;
    } else {
        key.WriteString("PortName", PortDiscovery::kDefaultPort);
        key.WriteBool("USB_COM", false);
        key.WriteBool("ABHelpEnable", true);
    }
    return options;
}

bool SaveMainWindowOptions(RegistryStore& store, const MainWindowOptions& options) {
    {
        RegistryKey key = store.OpenKey(kSettingKey);
        key.WriteString("PortName", options.portName);
        key.WriteBool("USB_COM", options.usbCom);
        key.WriteBool("ABHelpEnable", options.abHelpEnable);
        // Written once it was switched on, so a store that never had it stays as it is.
        if (options.verifyRead || key.ReadBool("VerifyRead")) {
            key.WriteBool("VerifyRead", options.verifyRead);
        }
        // Likewise written once a network port was added.
        if (!options.networkPorts.empty() || key.ReadString("NetworkPorts")) {
            key.WriteString("NetworkPorts", JoinAddresses(options.networkPorts));
        }
    }
    return !store.HasPendingChanges();
}

bool LoadDeviceHelpEnable(RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    const auto enabled = key.ReadBool("DSHelpEnable");
    if (!enabled) {
        key.WriteBool("DSHelpEnable", true);
        return true;
    }
    return *enabled;
}

bool SaveDeviceHelpEnable(RegistryStore& store, bool enabled) {
    {
        RegistryKey key = store.OpenKey(kSettingKey);
        key.WriteBool("DSHelpEnable", enabled);
    }
    return !store.HasPendingChanges();
}

}  // namespace tulvo
