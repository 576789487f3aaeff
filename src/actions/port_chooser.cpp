#include "actions/port_chooser.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "actions/serial_ports.h"
#include "link/port_discovery.h"

namespace tulvo {

namespace {

struct SortKey {
    std::string prefix;
    long number = -1;  // -1: no trailing number
};

SortKey KeyOf(const std::string& name) {
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1]))) {
        --digits;
    }
    SortKey key{name.substr(0, digits)};
    // At most 9 digits so the number cannot overflow; longer runs count as
    // part of the prefix.
    if (digits < name.size() && name.size() - digits <= 9) {
        key.number = std::strtol(name.c_str() + digits, nullptr, 10);
    } else {
        key.prefix = name;
    }
    return key;
}

}  // namespace

PortChooser::PortChooser(const SerialPorts& ports)
    : ports_(ports), chosenPort_(PortDiscovery::kDefaultPort) {}

void PortChooser::Restore(const std::string& portName, bool usb) {
    chosenPort_ = portName.empty() ? std::string(PortDiscovery::kDefaultPort) : portName;
    usb_ = usb;
}

void PortChooser::SortPortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const SortKey ka = KeyOf(a);
        const SortKey kb = KeyOf(b);
        if (ka.prefix != kb.prefix) {
            return ka.prefix < kb.prefix;
        }
        return ka.number < kb.number;
    });
}

void PortChooser::MatchPortLists(const std::vector<std::string>& all,
                                 const std::vector<std::string>& usb,
                                 std::vector<std::string>& usbPortList,
                                 std::vector<std::string>& comPortList) {
    usbPortList.clear();
    comPortList.clear();
    for (const std::string& u : usb) {
        for (const std::string& a : all) {
            if (u == a) {
                usbPortList.push_back(u);
            }
        }
    }
    for (const std::string& a : all) {
        if (std::find(usbPortList.begin(), usbPortList.end(), a) == usbPortList.end()) {
            comPortList.push_back(a);
        }
    }
    SortPortNames(usbPortList);
    SortPortNames(comPortList);
}

void PortChooser::RefreshPortLists() {
    MatchPortLists(ports_.ListSerialPorts(), ports_.ListUsbPorts(), usbPortList_, comPortList_);
}

const std::vector<std::string>& PortChooser::ActivePortList() const {
    return usb_ ? usbPortList_ : comPortList_;
}

bool PortChooser::Timer1Timer() {
    RefreshPortLists();
    return ActivePortList().empty() ? ShowEmptyList() : ShowActiveList();
}

bool PortChooser::ShowActiveList() {
    const std::vector<std::string>& active = ActivePortList();
    if (combo_.items == active) {
        return false;
    }
    combo_.items = active;
    combo_.hint.clear();
    const auto chosen = std::find(active.begin(), active.end(), chosenPort_);
    if (chosen != active.end()) {
        combo_.selected = static_cast<int>(chosen - active.begin());
        combo_.text = chosenPort_;
    } else if (usb_ && active.size() == 1) {
        chosenPort_ = active.front();
        combo_.selected = 0;
        combo_.text = chosenPort_;
    } else {
        combo_.selected = -1;
        combo_.hint = kPickPortText;
        combo_.text = kPickPortText;
    }
    return true;
}

bool PortChooser::ShowEmptyList() {
    const ComboState before = combo_;
    combo_.items.clear();
    combo_.selected = -1;
    combo_.hint = usb_ ? kNoDeviceText : "";
    combo_.text = combo_.hint;
    return !(combo_ == before);
}

bool PortChooser::RadioButton1Click() {
    usb_ = true;
    return Timer1Timer();
}

bool PortChooser::RadioButton2Click() {
    usb_ = false;
    return Timer1Timer();
}

void PortChooser::ComboBox2Change(int index) {
    if (index < 0 || index >= static_cast<int>(combo_.items.size())) {
        return;
    }
    combo_.selected = index;
    combo_.text = combo_.items[static_cast<std::size_t>(index)];
    chosenPort_ = combo_.text;
}

bool PortChooser::Choose(const std::string& name) {
    usb_ = false;
    chosenPort_ = name;
    combo_.items.clear();  // shown afresh, so the choice is selected
    return Timer1Timer();
}

std::string PortChooser::GetPortName() const {
    if (chosenPort_.empty() || combo_.selected < 0) {
        return {};
    }
    return ports_.DevicePath(chosenPort_);
}

}  // namespace tulvo
