// A gateway behind a serial device server, reached through a pseudo-terminal
// that socat makes: `tulvo` against its simulated gateway served over TCP.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>

#include "child_process.h"
#include "link/com_port.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

const std::string kTulvo = TULVO_CLI_PATH;
const std::string kSocat = "/usr/bin/socat";

// A TCP port on the loopback that nothing listens on now.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

class SerialBridge : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(kSocat.c_str(), X_OK) != 0) {
            GTEST_SKIP() << "socat is not installed (scripts/install-deps.sh --dev)";
        }
        char pattern[] = "/tmp/tulvo-bridge-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        for (auto* child : {&client_, &server_, &simulator_}) {
            if (*child) {
                (*child)->Signal(SIGTERM);
                (*child)->Wait(10s);
            }
        }
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_);
        }
    }

    // socat with its log on standard output, waiting for the log line that
    // says it is ready.
    static std::unique_ptr<ChildProcess> Socat(const std::string& addresses,
                                               const std::string& ready) {
        auto socat = std::make_unique<ChildProcess>(std::vector<std::string>{
            "/bin/sh", "-c", "exec " + kSocat + " -d -d " + addresses + " 2>&1"});
        while (const auto line = socat->ReadLine(10s)) {
            if (line->find(ready) != std::string::npos) {
                return socat;
            }
        }
        ADD_FAILURE() << "socat did not get ready: " << socat->Out();
        return socat;
    }

    // The simulated gateway on a pseudo-terminal, served on a TCP port as a
    // serial device server would, and a socat port in front of that.
    void StartBridge() {
        simulator_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{kTulvo, "simulate", "--link", dir_ + "/sim"});
        const auto device = simulator_->ReadLine(10s);
        ASSERT_TRUE(device) << simulator_->Err();
        const std::string port = std::to_string(FreePort());
        server_ = Socat(
            "tcp-listen:" + port + ",bind=127.0.0.1,reuseaddr file:" + *device + ",raw,echo=0",
            "listening on");
        client_ = Socat("pty,raw,echo=0,link=" + Gateway() + " tcp:127.0.0.1:" + port,
                        "starting data transfer loop");
    }

    ChildProcess::Result Info() const {
        return ChildProcess::Run({kTulvo, "info", "--port", Gateway(), "--store", dir_ + "/s.reg"},
                                 30s);
    }

    std::string Gateway() const { return dir_ + "/gw"; }

    std::string dir_;
    std::unique_ptr<ChildProcess> simulator_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> client_;
};

TEST_F(SerialBridge, PortMadeBySocatAnswersAndStaysOneProgramsAtATime) {
    ASSERT_NO_FATAL_FAILURE(StartBridge());

    // socat holds both sides of its pseudo-terminal: it is the port's far
    // end, not a program competing for it.
    for (int run = 1; run <= 2; ++run) {
        const auto info = Info();
        EXPECT_EQ(info.status, 0) << run << ": " << info.err;
        EXPECT_NE(info.out.find("Версия бутлоадера: 02.00\n"), std::string::npos) << info.out;
    }

    // While one program of ours has the port, another is refused.
    TComPort holder;
    ASSERT_TRUE(holder.Open(Gateway(), 115200, 100ms)) << holder.LastError();
    const auto second = Info();
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find("занят"), std::string::npos) << second.err;
    holder.Close();
    EXPECT_EQ(Info().status, 0);
}

}  // namespace
}  // namespace tulvo
