#include "link/network_address.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tulvo {
namespace {

TEST(NetworkAddress, ParsesOnlyWellFormedTcpAddresses) {
    struct Case {
        std::string text;
        std::optional<NetworkAddress> address;
        std::string hostPort;  // as written back, or a fragment of the reason
    };
    const Case cases[] = {
        {"tcp://192.168.1.20:4001", NetworkAddress{"192.168.1.20", 4001}, "192.168.1.20:4001"},
        {"tcp://gw-site_3.example.org:1", NetworkAddress{"gw-site_3.example.org", 1},
         "gw-site_3.example.org:1"},
        {"tcp://[::1]:65535", NetworkAddress{"::1", 65535}, "[::1]:65535"},
        {"tcp://[fe80::1%eth0]:4001", NetworkAddress{"fe80::1%eth0", 4001}, "[fe80::1%eth0]:4001"},
        {"tcp://[::ffff:10.0.0.1]:23", NetworkAddress{"::ffff:10.0.0.1", 23},
         "[::ffff:10.0.0.1]:23"},
        {"tcp://h:04001", NetworkAddress{"h", 4001}, "h:4001"},
        {"tcp://h:0", std::nullopt, "от 1 до 65535"},
        {"tcp://h:65536", std::nullopt, "от 1 до 65535"},
        {"tcp://h:123456", std::nullopt, "от 1 до 65535"},
        {"tcp://h:+1", std::nullopt, "от 1 до 65535"},
        {"tcp://h:4001/", std::nullopt, "от 1 до 65535"},
        {"tcp://h:", std::nullopt, "от 1 до 65535"},
        {"tcp://h", std::nullopt, "не указан порт"},
        {"tcp://:4001", std::nullopt, "не указан узел"},
        {"tcp://", std::nullopt, "не указан порт"},
        {"tcp://::1:4001", std::nullopt, "в квадратных скобках"},
        {"tcp://[::1:4001", std::nullopt, "скобки"},
        {"tcp://[]:4001", std::nullopt, "не указан узел"},
        {"tcp://[host]:4001", std::nullopt, "IPv6"},
        {"tcp://[::1]4001", std::nullopt, "не указан порт"},
        {"tcp://a b:4001", std::nullopt, "имя узла"},
        {"tcp://a,b:4001", std::nullopt, "имя узла"},
        {"tcp://user@h:4001", std::nullopt, "имя узла"},
        {"TCP://h:4001", std::nullopt, "tcp://"},
        {"udp://h:4001", std::nullopt, "tcp://"},
        {"/dev/ttyUSB0", std::nullopt, "tcp://"},
    };
    for (const Case& c : cases) {
        std::string why;
        const std::optional<NetworkAddress> address = NetworkAddress::Parse(c.text, &why);
        EXPECT_EQ(address, c.address) << c.text;
        if (address) {
            EXPECT_EQ(address->HostPort(), c.hostPort) << c.text;
            EXPECT_EQ(address->Text(), "tcp://" + c.hostPort) << c.text;
            EXPECT_EQ(why, "") << c.text;
        } else {
            EXPECT_EQ(why.rfind("Неверный сетевой адрес «" + c.text + "»: ", 0), 0u) << why;
            EXPECT_NE(why.find(c.hostPort), std::string::npos) << why;
        }
        EXPECT_EQ(NetworkAddress::IsNetworkName(c.text), c.text.starts_with("tcp://")) << c.text;
    }
}

}  // namespace
}  // namespace tulvo
