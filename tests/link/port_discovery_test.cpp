#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/network_address.h"
#include "link/port_discovery.h"
#include "port_fake_sysfs.h"

namespace tulvo {
namespace {

using Names = std::vector<std::string>;

class PortDiscoveryTest : public ::testing::Test {
  protected:
    test::FakeSysfs sysfs;
    PortDiscovery discovery{sysfs.Root()};
};

TEST_F(PortDiscoveryTest, ListsOnlyTtysBackedByADevice) {
    sysfs.AddVirtualTty("tty1");
    sysfs.AddVirtualTty("ptmx");
    sysfs.AddUsbAcm("ttyACM0", "2341", "0043");
    EXPECT_EQ(discovery.ListSerialPorts(), Names{"ttyACM0"});
    EXPECT_TRUE(discovery.ListUsbPorts().empty());
}

TEST_F(PortDiscoveryTest, LegacyUartCountsOnlyWhenTheKernelFoundOne) {
    sysfs.AddLegacyUart("ttyS0", 4);
    sysfs.AddLegacyUart("ttyS1", 0);
    sysfs.AddLegacyUart("ttyS2", 0);
    sysfs.AddLegacyUart("ttyS3", 0);
    EXPECT_EQ(discovery.ListSerialPorts(), Names{"ttyS0"});
}

TEST_F(PortDiscoveryTest, RecognisesBothGatewayUsbIdentitiesAtAnyDepth) {
    sysfs.AddUsbAcm("ttyACM0", "c251", "1305");
    sysfs.AddUsbAcm("ttyACM1", "FFFF", "1305");
    sysfs.AddUsbSerial("ttyUSB0", "ffff", "1305");
    sysfs.AddUsbAcm("ttyACM2", "c251", "1306");
    sysfs.AddUsbSerial("ttyUSB1", "0403", "6001");
    EXPECT_EQ(discovery.ListUsbPorts(), (Names{"ttyACM0", "ttyACM1", "ttyUSB0"}));
    EXPECT_EQ(discovery.ListSerialPorts(),
              (Names{"ttyACM0", "ttyACM1", "ttyACM2", "ttyUSB0", "ttyUSB1"}));
}

TEST_F(PortDiscoveryTest, DescribesEachPortByWhatItsDeviceReports) {
    sysfs.AddUsbAcm("ttyACM0", "C251", "1305");
    sysfs.SetUsbStrings("ttyACM0", "ZARQ", "Tulvo Universal", "0042");
    sysfs.AddUsbSerial("ttyUSB0", "0403", "6001");
    sysfs.SetUsbStrings("ttyUSB0", "", "FT232R USB UART", "");
    sysfs.AddUsbAcm("ttyACM1", "2341", "0043");
    sysfs.AddLegacyUart("ttyS0", 4);
    discovery.AddExtraPort({"demo", "/dev/pts/7", true});
    const std::pair<const char*, const char*> cases[] = {
        {"ttyACM0", "ZARQ Tulvo Universal, сер. № 0042 (c251:1305)"},
        {"ttyUSB0", "FT232R USB UART (0403:6001)"},
        {"ttyACM1", "USB-устройство (2341:0043)"},
        {"ttyS0", ""},
        {"demo", "/dev/pts/7"},
        {"ttyACM9", ""},
        {"../ttyACM0", ""},
    };
    for (const auto& [name, description] : cases) {
        EXPECT_EQ(discovery.Describe(name), description) << name;
    }
}

TEST_F(PortDiscoveryTest, MissingSysfsGivesEmptyLists) {
    PortDiscovery nowhere(sysfs.Root() / "absent");
    EXPECT_TRUE(nowhere.ListSerialPorts().empty());
    EXPECT_TRUE(nowhere.ListUsbPorts().empty());
}

TEST_F(PortDiscoveryTest, ExtraPortsJoinTheListsWhilePresent) {
    const auto present = sysfs.Root() / "pty-link";
    std::ofstream(present) << "";
    discovery.AddExtraPort({"demo", present.string(), true});
    discovery.AddExtraPort({"bench", present.string(), false});
    discovery.AddExtraPort({"gone", (sysfs.Root() / "missing").string(), true});

    EXPECT_EQ(discovery.ListSerialPorts(), (Names{"demo", "bench"}));
    // A recorded gateway port that is not there is still named by the USB
    // side; matching against the present ports drops it.
    EXPECT_EQ(discovery.ListUsbPorts(), (Names{"demo", "gone"}));
    EXPECT_EQ(discovery.DevicePath("demo"), present.string());

    discovery.RemoveExtraPort("demo");
    EXPECT_EQ(discovery.ListSerialPorts(), Names{"bench"});
    EXPECT_EQ(discovery.DevicePath("demo"), "/dev/demo");
}

TEST_F(PortDiscoveryTest, ExtraPortOfTheSameNameReplacesTheOldOne) {
    discovery.AddExtraPort({"demo", "/a", false});
    discovery.AddExtraPort({"demo", "/b", true});
    ASSERT_EQ(discovery.ExtraPorts().size(), 1u);
    EXPECT_EQ(discovery.DevicePath("demo"), "/b");
}

TEST_F(PortDiscoveryTest, OnlyListedNamesGiveADevice) {
    sysfs.AddUsbAcm("ttyACM0", "c251", "1305");
    sysfs.AddUsbSerial("ttyUSB1", "0403", "6001");
    sysfs.AddLegacyUart("ttyS1", 0);
    sysfs.AddVirtualTty("tty1");
    discovery.AddExtraPort({"demo", "/tmp/gw-link", true});
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"ttyACM0", "/dev/ttyACM0"}, {"ttyUSB1", "/dev/ttyUSB1"},    {"demo", "/tmp/gw-link"},
        {"ttyS1", std::nullopt},     {"tty1", std::nullopt},         {"ttyACM7", std::nullopt},
        {"", std::nullopt},          {"/dev/ttyACM0", std::nullopt}, {"tcp://h:1", "tcp://h:1"},
        {"tcp://h", std::nullopt},
    };
    for (const auto& [name, device] : cases) {
        EXPECT_EQ(discovery.ListedDevicePath(name), device) << name;
    }
}

TEST(PortDiscoveryNames, DevicePathOfADiscoveredPortIsUnderDev) {
    PortDiscovery discovery("/nonexistent");
    EXPECT_EQ(discovery.DevicePath("ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(discovery.DevicePath(""), "");
}

TEST(PortDiscoveryNames, ParsesExtraPortLists) {
    struct Case {
        std::string text;
        std::vector<ExtraPort> ports;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"", {}, true},
        {"demo=/tmp/gw:usb", {{"demo", "/tmp/gw", true}}, true},
        {"a=/dev/pts/3,b=/x:y", {{"a", "/dev/pts/3", false}, {"b", "/x:y", false}}, true},
        {"a=/p,,b=/q:usb,", {{"a", "/p", false}, {"b", "/q", true}}, true},
        {"noequals,=/p,c=,../d=/p,e=/q", {{"e", "/q", false}}, false},
        {"u=:usb", {}, false},
        {"a=tcp://h:4001,b=tcp://[::1]:2:usb",
         {{"a", "tcp://h:4001"}, {"b", "tcp://[::1]:2", true}},
         true},
        {"x=tcp://h,ok=tcp://h:1", {{"ok", "tcp://h:1"}}, false},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(PortDiscovery::ParseExtraPorts(c.text, &ok), c.ports) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
}

TEST(PortDiscoveryNames, OnlyAWellFormedTcpAddressIsANetworkPort) {
    const std::pair<std::string, std::optional<NetworkAddress>> cases[] = {
        {"tcp://192.168.1.20:4001", NetworkAddress{"192.168.1.20", 4001}},
        {"tcp://gw-3.site_a.org:1", NetworkAddress{"gw-3.site_a.org", 1}},
        {"tcp://[::1]:65535", NetworkAddress{"::1", 65535}},
        {"tcp://[fe80::1%eth0]:04001", NetworkAddress{"fe80::1%eth0", 4001}},
        {"tcp://h:0", std::nullopt},
        {"tcp://h:65536", std::nullopt},
        {"tcp://h:1/", std::nullopt},
        {"tcp://h", std::nullopt},
        {"tcp://:1", std::nullopt},
        {"tcp://::1:1", std::nullopt},
        {"tcp://[::1:1", std::nullopt},
        {"tcp://[]:1", std::nullopt},
        {"tcp://[h]:1", std::nullopt},
        {"tcp://a,b:1", std::nullopt},
        {"tcp://u@h:1", std::nullopt},
        {"TCP://h:1", std::nullopt},
    };
    for (const auto& [text, address] : cases) {
        std::string why;
        EXPECT_EQ(NetworkAddress::Parse(text, &why), address) << text;
        EXPECT_EQ(why.rfind("Неверный сетевой адрес «" + text + "»: ", 0) == 0, !address) << why;
    }
    EXPECT_EQ(NetworkAddress::Parse("tcp://[fe80::1%eth0]:04001")->Text(),
              "tcp://[fe80::1%eth0]:4001");
}

TEST(PortDiscoveryNames, ReadsExtraPortsFromTheEnvironment) {
    setenv(PortDiscovery::kEnvironmentVariable, "gw=/dev/null:usb,bad,net=tcp://h:1", 1);
    PortDiscovery discovery("/nonexistent");
    EXPECT_FALSE(discovery.AddExtraPortsFromEnvironment());
    unsetenv(PortDiscovery::kEnvironmentVariable);
    EXPECT_EQ(discovery.ListUsbPorts(), Names{"gw"});
    EXPECT_EQ(discovery.ListSerialPorts(), (Names{"gw", "net"}));  // a network port is always there
    EXPECT_EQ(discovery.DevicePath("gw"), "/dev/null");
}

}  // namespace
}  // namespace tulvo
