#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "actions/port_chooser.h"
#include "actions/serial_ports.h"
#include "link/port_fake_sysfs.h"

namespace tulvo {
namespace {

using Names = std::vector<std::string>;

const std::string kPick = "Укажите порт к которому подключен Tulvo";
const std::string kNoDevice = "Устройство не подключено или не установлен драйвер";

TEST(PortNameSort, SortsByPrefixThenTrailingNumberKeepingTies) {
    struct Case {
        Names in;
        Names out;
    };
    const std::vector<Case> cases = {
        {{"ttyUSB12", "ttyUSB3", "ttyUSB1"}, {"ttyUSB1", "ttyUSB3", "ttyUSB12"}},
        {{"ttyS0", "ttyACM10", "ttyUSB0", "ttyACM2"}, {"ttyACM2", "ttyACM10", "ttyS0", "ttyUSB0"}},
        // Equal numbers keep their order; a name without a number comes first.
        {{"ttyS01", "ttyS1", "ttyS"}, {"ttyS", "ttyS01", "ttyS1"}},
        {{"demo", "ttyACM0"}, {"demo", "ttyACM0"}},
        {{"ttyX99999999999999999999", "ttyX1"}, {"ttyX1", "ttyX99999999999999999999"}},
    };
    for (Case c : cases) {
        PortChooser::SortPortNames(c.in);
        EXPECT_EQ(c.in, c.out);
    }
}

TEST(PortListMatch, KeepsGatewayPortsThatArePresentAndTheRestAsCom) {
    Names usb, com;
    PortChooser::MatchPortLists({"ttyUSB1", "ttyUSB12", "ttyUSB3"}, {"ttyUSB12", "ttyUSB7"}, usb,
                                com);
    EXPECT_EQ(usb, Names{"ttyUSB12"});
    EXPECT_EQ(com, (Names{"ttyUSB1", "ttyUSB3"}));
}

class PortChooserTest : public ::testing::Test {
  protected:
    test::FakeSysfs sysfs;
    SerialPorts ports{sysfs.Root()};
    PortChooser chooser{ports};
};

TEST_F(PortChooserTest, ThreePortsWithAGatewayOnOne) {
    sysfs.AddUsbSerial("ttyUSB1", "0403", "6001");
    sysfs.AddUsbSerial("ttyUSB12", "c251", "1305");
    sysfs.AddUsbSerial("ttyUSB3", "067b", "2303");
    chooser.RefreshPortLists();
    EXPECT_EQ(chooser.UsbPortList(), Names{"ttyUSB12"});
    EXPECT_EQ(chooser.ComPortList(), (Names{"ttyUSB1", "ttyUSB3"}));
}

TEST_F(PortChooserTest, RecordedGatewayThatIsNotPluggedInIsListedNowhere) {
    sysfs.AddLegacyUart("ttyS0", 4);
    ports.AddExtraPort("gw", (sysfs.Root() / "unplugged").string(), true);
    chooser.Restore("gw", true);
    chooser.Timer1Timer();
    EXPECT_TRUE(chooser.UsbPortList().empty());
    EXPECT_EQ(chooser.ComPortList(), Names{"ttyS0"});
    EXPECT_EQ(chooser.Combo().text, kNoDevice);
    EXPECT_EQ(chooser.GetPortName(), "");
}

TEST_F(PortChooserTest, TwoGatewaysAndNoRememberedChoiceAskTheOperator) {
    sysfs.AddUsbAcm("ttyACM5", "c251", "1305");
    sysfs.AddUsbAcm("ttyACM7", "ffff", "1305");
    chooser.Restore("", true);
    EXPECT_EQ(chooser.ChosenPort(), "ttyS0");

    EXPECT_TRUE(chooser.Timer1Timer());
    EXPECT_EQ(chooser.Combo().items, (Names{"ttyACM5", "ttyACM7"}));
    EXPECT_EQ(chooser.Combo().selected, -1);
    EXPECT_EQ(chooser.Combo().text, kPick);
    EXPECT_EQ(chooser.Combo().hint, kPick);
    EXPECT_EQ(chooser.GetPortName(), "");

    chooser.ComboBox2Change(1);
    EXPECT_EQ(chooser.ChosenPort(), "ttyACM7");
    EXPECT_EQ(chooser.GetPortName(), "/dev/ttyACM7");
    // Nothing changed: the box is left alone and keeps the pick.
    EXPECT_FALSE(chooser.Timer1Timer());
    EXPECT_EQ(chooser.GetPortName(), "/dev/ttyACM7");
}

TEST_F(PortChooserTest, SingleGatewayIsChosenWhenItAppears) {
    sysfs.AddLegacyUart("ttyS0", 4);
    chooser.Restore("ttyS0", true);
    EXPECT_TRUE(chooser.Timer1Timer());
    EXPECT_EQ(chooser.Combo().text, kNoDevice);
    EXPECT_EQ(chooser.Combo().hint, kNoDevice);
    EXPECT_FALSE(chooser.Timer1Timer());

    sysfs.AddUsbAcm("ttyACM0", "c251", "1305");
    EXPECT_TRUE(chooser.Timer1Timer());
    EXPECT_EQ(chooser.ChosenPort(), "ttyACM0");
    EXPECT_EQ(chooser.Combo().selected, 0);
    EXPECT_EQ(chooser.Combo().hint, "");
    EXPECT_EQ(chooser.GetPortName(), "/dev/ttyACM0");

    sysfs.Remove("ttyACM0");
    EXPECT_TRUE(chooser.Timer1Timer());
    EXPECT_TRUE(chooser.Combo().items.empty());
    EXPECT_EQ(chooser.GetPortName(), "");
    EXPECT_EQ(chooser.ChosenPort(), "ttyACM0");
}

TEST_F(PortChooserTest, RememberedChoiceIsSelectedAgain) {
    sysfs.AddLegacyUart("ttyS0", 4);
    sysfs.AddUsbSerial("ttyUSB0", "0403", "6001");
    chooser.Restore("ttyUSB0", false);
    chooser.Timer1Timer();
    EXPECT_EQ(chooser.Combo().selected, 1);
    EXPECT_EQ(chooser.Combo().text, "ttyUSB0");
    EXPECT_EQ(chooser.GetPortName(), "/dev/ttyUSB0");
}

TEST_F(PortChooserTest, ComListWithoutChoiceAsksAndEmptyComListIsBlank) {
    chooser.Restore("ttyS0", false);
    chooser.Timer1Timer();
    EXPECT_EQ(chooser.Combo().text, "");
    EXPECT_EQ(chooser.Combo().hint, "");

    // One COM port is never chosen by itself.
    sysfs.AddUsbSerial("ttyUSB0", "0403", "6001");
    chooser.Timer1Timer();
    EXPECT_EQ(chooser.Combo().selected, -1);
    EXPECT_EQ(chooser.Combo().text, kPick);
    EXPECT_EQ(chooser.ChosenPort(), "ttyS0");
}

TEST_F(PortChooserTest, SwitchingUsbToComRefreshesAtOnce) {
    sysfs.AddUsbAcm("ttyACM0", "c251", "1305");
    sysfs.AddLegacyUart("ttyS0", 4);
    chooser.Restore("ttyS0", true);
    chooser.Timer1Timer();
    EXPECT_EQ(chooser.Combo().items, Names{"ttyACM0"});
    EXPECT_EQ(chooser.ChosenPort(), "ttyACM0");

    sysfs.AddUsbSerial("ttyUSB4", "0403", "6001");
    EXPECT_TRUE(chooser.RadioButton2Click());
    EXPECT_FALSE(chooser.UsbChecked());
    EXPECT_EQ(chooser.Combo().items, (Names{"ttyS0", "ttyUSB4"}));
    EXPECT_EQ(chooser.Combo().selected, -1);
    EXPECT_EQ(chooser.GetPortName(), "");

    EXPECT_TRUE(chooser.RadioButton1Click());
    EXPECT_EQ(chooser.Combo().items, Names{"ttyACM0"});
    EXPECT_EQ(chooser.GetPortName(), "/dev/ttyACM0");
}

TEST_F(PortChooserTest, ExtraPortOpensItsOwnPath) {
    const auto link = sysfs.Root() / "demo-link";
    std::ofstream(link) << "";
    ports.AddExtraPort("demo", link.string(), true);
    chooser.Restore("", true);
    chooser.Timer1Timer();
    EXPECT_EQ(chooser.GetPortName(), link.string());
}

TEST_F(PortChooserTest, OutOfRangePickIsIgnored) {
    sysfs.AddUsbAcm("ttyACM0", "c251", "1305");
    chooser.Restore("", false);
    chooser.Timer1Timer();
    chooser.ComboBox2Change(3);
    chooser.ComboBox2Change(-1);
    EXPECT_EQ(chooser.Combo().selected, -1);
    EXPECT_EQ(chooser.ChosenPort(), "ttyS0");
}

}  // namespace
}  // namespace tulvo
