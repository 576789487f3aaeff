#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
        {"ttyACM0", "/dev/ttyACM0"},
        {"ttyUSB1", "/dev/ttyUSB1"},
        {"demo", "/tmp/gw-link"},
        {"ttyS1", std::nullopt},
        {"tty1", std::nullopt},
        {"ttyACM7", std::nullopt},
        {"", std::nullopt},
        {"/dev/ttyACM0", std::nullopt},
        // A network address is its own device, unless it is malformed.
        {"tcp://10.0.0.5:4001", "tcp://10.0.0.5:4001"},
        {"tcp://10.0.0.5", std::nullopt},
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
        // Only a trailing ":usb" is the flag; the port number stays.
        {"site=tcp://10.0.0.5:4001,v6=tcp://[::1]:4002:usb",
         {{"site", "tcp://10.0.0.5:4001", false}, {"v6", "tcp://[::1]:4002", true}},
         true},
        {"bad=tcp://h,x=tcp://h:0,ok=tcp://h:1", {{"ok", "tcp://h:1", false}}, false},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(PortDiscovery::ParseExtraPorts(c.text, &ok), c.ports) << c.text;
        EXPECT_EQ(ok, c.ok) << c.text;
    }
}

TEST(PortDiscoveryNames, ReadsExtraPortsFromTheEnvironment) {
    setenv(PortDiscovery::kEnvironmentVariable, "gw=/dev/null:usb,bad,site=tcp://10.0.0.5:4001", 1);
    PortDiscovery discovery("/nonexistent");
    EXPECT_FALSE(discovery.AddExtraPortsFromEnvironment());
    unsetenv(PortDiscovery::kEnvironmentVariable);
    EXPECT_EQ(discovery.ListUsbPorts(), Names{"gw"});
    // A network port has no path to find: it is always listed.
    EXPECT_EQ(discovery.ListSerialPorts(), (Names{"gw", "site"}));
    EXPECT_EQ(discovery.DevicePath("site"), "tcp://10.0.0.5:4001");
    EXPECT_EQ(discovery.DevicePath("gw"), "/dev/null");
}

}  // namespace
}  // namespace tulvo
