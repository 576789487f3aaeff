#pragma once

#include <string>
#include <vector>

namespace tulvo {

class SerialPorts;

// The connection choice behind the main window's connection bar, as plain
// state: the two port lists, the USB/COM switch, the chosen port and what
// the drop-down box shows. The window only mirrors Combo() into its box
// when Timer1Timer() reports a change, so an open drop-down is left alone
// while nothing changes.
class PortChooser {
  public:
    static constexpr const char* kPickPortText = "Укажите порт к которому подключен Tulvo";
    static constexpr const char* kNoDeviceText =
        "Устройство не подключено или не установлен драйвер";

    // What the drop-down box shows. selected is -1 when nothing is selected.
    struct ComboState {
        std::vector<std::string> items;
        int selected = -1;
        std::string hint;
        std::string text;

        bool operator==(const ComboState&) const = default;
    };

    explicit PortChooser(const SerialPorts& ports);

    // Start-up state from the store: an empty name becomes the default port.
    void Restore(const std::string& portName, bool usb);

    // Rebuilds both lists from the ports present now.
    void RefreshPortLists();
    // One tick of the connection bar. True when Combo() changed.
    bool Timer1Timer();
    // "USB" and "COM" radio buttons: switch the list and tick at once.
    bool RadioButton1Click();
    bool RadioButton2Click();
    // The operator picked item `index` of the box; out of range is ignored.
    void ComboBox2Change(int index);
    // The operator named a COM port (a network port just added): "COM" is
    // checked and the port chosen, shown selected once it is listed. True
    // when Combo() changed.
    bool Choose(const std::string& name);

    // The device to open, or empty when no usable port is chosen.
    std::string GetPortName() const;

    const std::string& ChosenPort() const { return chosenPort_; }
    bool UsbChecked() const { return usb_; }
    const std::vector<std::string>& ComPortList() const { return comPortList_; }
    const std::vector<std::string>& UsbPortList() const { return usbPortList_; }
    const std::vector<std::string>& ActivePortList() const;
    const ComboState& Combo() const { return combo_; }

    // Keeps the gateway ports of `usb` that are present in `all` (once per
    // match) and every other port of `all` as COM ports; both sorted.
    static void MatchPortLists(const std::vector<std::string>& all,
                               const std::vector<std::string>& usb,
                               std::vector<std::string>& usbPortList,
                               std::vector<std::string>& comPortList);
    // Stable sort by the name's prefix, then by its trailing decimal number
    // (ttyACM2 before ttyACM10; a name without a number comes first).
    static void SortPortNames(std::vector<std::string>& names);

  private:
    bool ShowActiveList();
    bool ShowEmptyList();

    const SerialPorts& ports_;
    std::vector<std::string> comPortList_;
    std::vector<std::string> usbPortList_;
    std::string chosenPort_;
    bool usb_ = false;
    ComboState combo_;
};

}  // namespace tulvo
