// `tulvo` reaching the simulated gateway through a serial device server
// (ser2net, socat) on a loopback TCP port, with --port tcp://HOST:PORT.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "cli/cli_child.h"
#include "link/command_table.h"
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
using sim::RecordFamily;
using test::ChildProcess;
using test::CliChild;
using Pop = test::SyncPopulation;

const std::string kSer2net = "/usr/sbin/ser2net";
const std::string kSocat = "/usr/bin/socat";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A loopback port nobody listens on now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// Every record the gateway holds, family by family.
std::vector<std::optional<std::vector<std::uint8_t>>> Snapshot(sim::GatewayState& state) {
    std::vector<std::optional<std::vector<std::uint8_t>>> records;
    for (const RecordFamily family :
         {RecordFamily::AbInfo, RecordFamily::AbPhone, RecordFamily::AbLimit,
          RecordFamily::BlackListEntry, RecordFamily::SMSMessage, RecordFamily::Block}) {
        for (int i = 0; i < sim::FamilyCount(family); ++i) {
            records.push_back(state.Get(family, i));
        }
    }
    return records;
}

enum class Server { Ser2net, Socat };

class NetworkPort : public ::testing::TestWithParam<Server> {
  protected:
    void SetUp() override {
        const std::string& program = GetParam() == Server::Ser2net ? kSer2net : kSocat;
        if (::access(program.c_str(), X_OK) != 0) {
            GTEST_SKIP() << program << " is not installed (scripts/install-deps.sh --dev)";
        }
        std::string pattern = (fs::temp_directory_path() / "tulvo-net-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        StopServer();
        for (auto& gateway : gateways_) {
            gateway->Stop();
        }
        if (!dir_.empty()) {
            fs::remove_all(dir_);
        }
    }

    sim::Gateway& NewGateway() {
        gateways_.push_back(std::make_unique<sim::Gateway>());
        EXPECT_TRUE(gateways_.back()->Start()) << gateways_.back()->Error();
        return *gateways_.back();
    }

    // The device server in front of the gateway's pseudo-terminal; its
    // address is Address() once it listens.
    void StartServer(const sim::Gateway& gateway) {
        StopServer();
        port_ = FreePort();
        ASSERT_GT(port_, 0);
        if (GetParam() == Server::Ser2net) {
            const fs::path config = dir_ / "ser2net.yaml";
            std::ofstream(config) << "connection: &gateway\n"
                                  << "  accepter: tcp,127.0.0.1," << port_ << "\n"
                                  << "  connector: serialdev," << gateway.DevicePath()
                                  << ",115200n81,local\n";
            server_ = std::make_unique<ChildProcess>(
                std::vector<std::string>{kSer2net, "-n", "-d", "-c", config.string()});
            // ser2net says nothing when it listens: it is ready once it
            // accepts. Between tries its output is collected for a moment.
            for (const auto end = std::chrono::steady_clock::now() + 10s;
                 !Accepts(port_) && std::chrono::steady_clock::now() < end;) {
                server_->ReadLine(20ms);
            }
            ASSERT_TRUE(Accepts(port_)) << server_->Err();
        } else {
            server_ = std::make_unique<ChildProcess>(std::vector<std::string>{
                "/bin/sh", "-c",
                "exec " + kSocat + " -d -d TCP-LISTEN:" + std::to_string(port_) +
                    ",bind=127.0.0.1,reuseaddr FILE:" + gateway.DevicePath() + ",raw,echo=0 2>&1"});
            while (const auto line = server_->ReadLine(10s)) {
                if (line->find("listening on") != std::string::npos) {
                    return;
                }
            }
            FAIL() << "socat did not start: " << server_->Out();
        }
    }
    void StopServer() {
        if (server_) {
            server_->Signal(SIGTERM);
            server_->Wait(10s);
            server_.reset();
        }
    }

    std::string Address() const { return "tcp://127.0.0.1:" + std::to_string(port_); }
    std::string Store(const std::string& name) const { return (dir_ / name).string(); }

    CliChild Tulvo(const std::vector<std::string>& arguments,
                   const std::function<void(pid_t)>& whileRunning = {}) const {
        return CliChild::Run(arguments, dir_, {}, 60s, whileRunning);
    }

    fs::path dir_;
    std::vector<std::unique_ptr<sim::Gateway>> gateways_;
    std::unique_ptr<ChildProcess> server_;
    int port_ = 0;
};

TEST_P(NetworkPort, ReadStoresTheSameImageAsADirectRead) {
    sim::Gateway& gateway = NewGateway();
    Pop::Seed(gateway.State());
    const auto direct = Tulvo({"read", "--port", gateway.DevicePath(), "--store", Store("d.reg")});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;

    ASSERT_NO_FATAL_FAILURE(StartServer(gateway));
    const auto network = Tulvo({"read", "--port", Address(), "--store", Store("n.reg")});
    ASSERT_EQ(network.exitCode, 0) << network.err;
    EXPECT_EQ(network.err, "Чтение завершено!\n");
    EXPECT_EQ(ReadFile(Store("n.reg")), ReadFile(Store("d.reg")));
}

TEST_P(NetworkPort, WriteLeavesTheGatewayAsADirectWriteDoes) {
    {
        auto image = std::make_unique<TData>();
        RegistryStore store(Store("s.reg"));
        LoadImage(*image, store);
        Pop::ApplyTo(*image);
        ASSERT_TRUE(SaveImage(*image, store));
    }
    sim::Gateway& directGateway = NewGateway();
    const auto direct =
        Tulvo({"write", "--port", directGateway.DevicePath(), "--store", Store("s.reg")});
    ASSERT_EQ(direct.exitCode, 0) << direct.err;

    sim::Gateway& networkGateway = NewGateway();
    ASSERT_NO_FATAL_FAILURE(StartServer(networkGateway));
    const auto network = Tulvo({"write", "--port", Address(), "--store", Store("s.reg")});
    ASSERT_EQ(network.exitCode, 0) << network.err;
    EXPECT_EQ(network.err, direct.err);
    EXPECT_EQ(Snapshot(networkGateway.State()), Snapshot(directGateway.State()));
    EXPECT_EQ(networkGateway.State().ClockWrites(), 1);
}

INSTANTIATE_TEST_SUITE_P(Servers, NetworkPort, ::testing::Values(Server::Ser2net, Server::Socat),
                         [](const auto& info) {
                             return info.param == Server::Ser2net ? "Ser2net" : "Socat";
                         });

class NetworkPortSocat : public NetworkPort {};

// The gateway goes silent at subscriber 10, and while the read waits for
// its reply the device server goes away.
TEST_P(NetworkPortSocat, DroppedConnectionEndsTheReadWithTheLinkErrorAndKeepsWhatWasRead) {
    const test::ShortCliLinkTiming shortTiming;
    sim::Gateway& gateway = NewGateway();
    Pop::Seed(gateway.State());
    gateway.Faults().Add({.kind = sim::FaultRule::Kind::Silence,
                          .command = command::ReadAbInfo.Code(),
                          .fromIndex = 9,
                          .toIndex = 9});
    ASSERT_NO_FATAL_FAILURE(StartServer(gateway));
    const auto read = Tulvo({"read", "--port", Address(), "--store", Store("n.reg")}, [&](pid_t) {
        gateway.Log().WaitFor(
            [](const auto& requests) {
                return !requests.empty() && requests.back().command == command::ReadAbInfo.Code() &&
                       requests.back().index == 9;
            },
            30s);
        server_->Signal(SIGTERM);
    });
    EXPECT_EQ(read.exitCode, 1);
    EXPECT_EQ(read.err, "Ошибка связи с устройством!\nСоединение с 127.0.0.1:" +
                            std::to_string(port_) + " разорвано удалённой стороной.\n");
    auto image = std::make_unique<TData>();
    RegistryStore store(Store("n.reg"));
    LoadImage(*image, store);
    for (int n = 1; n <= 9; ++n) {
        EXPECT_EQ(Pop::BytesOf(image->AbInfo(n)), Pop::AbInfo(n)) << n;
    }
}

// Nothing listens: the port does not open, and the detail says where and why.
TEST_P(NetworkPortSocat, RefusedOrMalformedAddressDoesNotOpenThePort) {
    const std::string closed = "tcp://127.0.0.1:" + std::to_string(FreePort());
    const struct {
        std::string address;
        std::string detail;
    } cases[] = {
        {closed, "Не удалось подключиться к " + closed.substr(6) + ": Connection refused."},
        {"tcp://127.0.0.1:0",
         "Неверный сетевой адрес «tcp://127.0.0.1:0»: порт должен быть "
         "числом от 1 до 65535. Ожидается tcp://УЗЕЛ:ПОРТ."},
    };
    for (const auto& c : cases) {
        const auto info = Tulvo({"info", "--port", c.address, "--store", Store("s.reg")});
        EXPECT_EQ(info.exitCode, 1) << c.address;
        EXPECT_EQ(info.err, "Невозможно открыть порт!\n" + c.detail + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Socat, NetworkPortSocat, ::testing::Values(Server::Socat));

}  // namespace
}  // namespace tulvo
