#include "store/window_options.h"

#include "store/image_store.h"

namespace tulvo {

MainWindowOptions LoadMainWindowOptions(RegistryStore& store) {
    RegistryKey key = store.OpenKey(kSettingKey);
    MainWindowOptions options;
    const std::string name = key.ReadString("PortName").value_or("");
    if (!name.empty()) {
        options.portName = name;
    }
    options.verifyRead = key.ReadBool("VerifyRead").value_or(false);
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
