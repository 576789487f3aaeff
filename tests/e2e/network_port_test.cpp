// `tulvo` reaching the simulated gateway through a serial device server
// (ser2net, socat) on a loopback TCP port, with --port tcp://HOST:PORT.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/cli_child.h"
#include "device_server.h"
#include "model/t_data.h"
#include "sim/gateway.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "support/short_cli_link_timing.h"
#include "sync/sync_population.h"

namespace tulvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Pop = test::SyncPopulation;

std::string ReadFile(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

class NetworkPort : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (!test::DeviceServer::Available(test::DeviceServer::Kind::Socat) ||
            !test::DeviceServer::Available(test::DeviceServer::Kind::Ser2net)) {
            GTEST_SKIP() << "socat or ser2net is missing (scripts/install-deps.sh --dev)";
        }
        std::string pattern = (fs::temp_directory_path() / "tulvo-net-XXXXXX").string();
        dir_ = ::mkdtemp(pattern.data());
    }
    void TearDown() override {
        StopServer();
        for (auto& gateway : gateways_) {
            gateway->Stop();
        }
        fs::remove_all(dir_);
    }

    sim::Gateway& NewGateway() {
        gateways_.push_back(std::make_unique<sim::Gateway>());
        EXPECT_TRUE(gateways_.back()->Start()) << gateways_.back()->Error();
        return *gateways_.back();
    }

    // The device server `server` (ser2net or socat) in front of the gateway.
    void StartServer(const sim::Gateway& gateway, const std::string& server) {
        server_ = std::make_unique<test::DeviceServer>(server == "ser2net"
                                                           ? test::DeviceServer::Kind::Ser2net
                                                           : test::DeviceServer::Kind::Socat,
                                                       gateway.DevicePath(), dir_);
        ASSERT_TRUE(server_->Started()) << server << " did not start: " << server_->Error();
    }
    void StopServer() {
        if (server_) {
            server_->Stop();
        }
    }

    test::CliChild Tulvo(const std::string& command, const std::string& port,
                         const std::string& store, const std::function<void(pid_t)>& during = {}) {
        return test::CliChild::Run({command, "--port", port, "--store", (dir_ / store).string()},
                                   dir_, {}, 60s, during);
    }
    std::string Address() const { return server_->Address(); }

    fs::path dir_;
    std::vector<std::unique_ptr<sim::Gateway>> gateways_;
    std::unique_ptr<test::DeviceServer> server_;
};

TEST_P(NetworkPort, ReadStoresTheSameImageAsADirectRead) {
    sim::Gateway& gateway = NewGateway();
    Pop::Seed(gateway.State());
    ASSERT_EQ(Tulvo("read", gateway.DevicePath(), "d.reg").exitCode, 0);
    ASSERT_NO_FATAL_FAILURE(StartServer(gateway, GetParam()));
    const auto network = Tulvo("read", Address(), "n.reg");
    EXPECT_EQ(network.exitCode, 0);
    EXPECT_EQ(network.err, "Чтение завершено!\n");
    EXPECT_EQ(ReadFile(dir_ / "n.reg"), ReadFile(dir_ / "d.reg"));
}

TEST_P(NetworkPort, WriteLeavesTheGatewayAsADirectWriteDoes) {
    {
        auto image = std::make_unique<TData>();
        RegistryStore store((dir_ / "s.reg").string());
        Pop::ApplyTo(*image);
        ASSERT_TRUE(SaveImage(*image, store));
    }
    sim::Gateway& direct = NewGateway();
    ASSERT_EQ(Tulvo("write", direct.DevicePath(), "s.reg").exitCode, 0);
    sim::Gateway& networked = NewGateway();
    ASSERT_NO_FATAL_FAILURE(StartServer(networked, GetParam()));
    const auto network = Tulvo("write", Address(), "s.reg");
    EXPECT_EQ(network.exitCode, 0) << network.err;
    EXPECT_EQ(networked.State().ClockWrites(), 1);
    // What each gateway holds now, read back directly.
    StopServer();
    ASSERT_EQ(Tulvo("read", direct.DevicePath(), "d.reg").exitCode, 0);
    ASSERT_EQ(Tulvo("read", networked.DevicePath(), "n.reg").exitCode, 0);
    EXPECT_EQ(ReadFile(dir_ / "n.reg"), ReadFile(dir_ / "d.reg"));
}

INSTANTIATE_TEST_SUITE_P(Servers, NetworkPort, ::testing::Values("ser2net", "socat"),
                         [](const auto& info) { return info.param; });

using NetworkPortTrouble = NetworkPort;

// While the read waits for a reply the gateway holds back (subscriber 10),
// the device server goes away.
TEST_F(NetworkPortTrouble, DroppedConnectionEndsTheReadWithTheLinkErrorAndKeepsWhatWasRead) {
    const test::ShortCliLinkTiming shortTiming;
    sim::Gateway& gateway = NewGateway();
    Pop::Seed(gateway.State());
    gateway.Faults().Add({.command = command::ReadAbInfo.Code(), .fromIndex = 9, .toIndex = 9});
    ASSERT_NO_FATAL_FAILURE(StartServer(gateway, "socat"));
    const auto read = Tulvo("read", Address(), "n.reg", [&](pid_t) {
        gateway.Log().WaitFor([](const auto& r) { return !r.empty() && r.back().index == 9; }, 30s);
        StopServer();
    });
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_EQ(read.err, "Ошибка связи с устройством!\nСоединение с " + Address().substr(6) +
                            " разорвано удалённой стороной.\n");
    auto image = std::make_unique<TData>();
    RegistryStore store((dir_ / "n.reg").string());
    LoadImage(*image, store);
    EXPECT_EQ(Pop::BytesOf(image->AbInfo(9)), Pop::AbInfo(9));
}

// Every conversation that meets a dropped connection says its own failure
// with the drop as the reason.
TEST_F(NetworkPortTrouble, EachConversationNamesTheDroppedConnection) {
    const test::ShortCliLinkTiming shortTiming;
    const test::DeviceServer server(test::DeviceServer::Kind::DeadLine, "", dir_);
    ASSERT_TRUE(server.Started()) << server.Error();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"info"}, "Ошибка при чтении данных!"},
        {{"clock"}, "Ошибка синхронизации времени в устройстве!"},
        {{"read"}, "Ошибка связи с устройством!"},
        {{"calllog", "download", "--data-dir", dir_.string()},
         "Ошибка чтения количества соединений!"},
    };
    for (const auto& [words, message] : cases) {
        std::vector<std::string> argv = words;
        argv.insert(argv.end(), {"--port", server.Address(), "--store", (dir_ / "s.reg").string()});
        const auto run = test::CliChild::Run(argv, dir_, {}, 60s);
        EXPECT_EQ(run.exitCode, 1) << words[0];
        EXPECT_EQ(run.err.rfind(
                      message + "\nСоединение с " + server.Address().substr(6) + " разорвано", 0),
                  0u)
            << run.err;
    }
}

TEST_F(NetworkPortTrouble, RefusedOrMalformedAddressDoesNotOpenThePort) {
    const std::string closed = "127.0.0.1:" + std::to_string(test::DeviceServer::FreePort());
    const std::pair<std::string, std::string> cases[] = {
        {"tcp://" + closed, "Не удалось подключиться к " + closed + ": Connection refused."},
        {"tcp://127.0.0.1:0",
         "Неверный сетевой адрес «tcp://127.0.0.1:0»: порт должен быть "
         "числом от 1 до 65535. Ожидается tcp://УЗЕЛ:ПОРТ."},
    };
    for (const auto& [address, detail] : cases) {
        const auto info = Tulvo("info", address, "s.reg");
        EXPECT_EQ(info.exitCode, 1);
        EXPECT_EQ(info.err, "Невозможно открыть порт!\n" + detail + "\n");
    }
}

}  // namespace
}  // namespace tulvo
