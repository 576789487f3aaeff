// `tulvo` through a pseudo-terminal made by socat, as for a serial device server.
#include <gtest/gtest.h>
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
        for (auto* child : {&socat_, &simulator_}) {
            if (*child) {
                (*child)->Signal(SIGTERM);
                (*child)->Wait(10s);
            }
        }
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_);
        }
    }

    // The simulated gateway, and socat's pseudo-terminal in front of it;
    // socat keeps both sides of its pseudo-terminal open.
    void StartBridge() {
        simulator_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{kTulvo, "simulate", "--link", dir_ + "/sim"});
        const auto device = simulator_->ReadLine(10s);
        ASSERT_TRUE(device) << simulator_->Err();
        // socat's log goes to standard output, to wait for it to be ready.
        socat_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/bin/sh", "-c",
                                     "exec " + kSocat + " -d -d pty,raw,echo=0,link=" + Gateway() +
                                         " file:" + *device + ",raw,echo=0 2>&1"});
        while (const auto line = socat_->ReadLine(10s)) {
            if (line->find("starting data transfer loop") != std::string::npos) {
                return;
            }
        }
        FAIL() << "socat did not start: " << socat_->Out();
    }

    ChildProcess::Result Info() const {
        return ChildProcess::Run({kTulvo, "info", "--port", Gateway(), "--store", dir_ + "/s.reg"},
                                 30s);
    }

    std::string Gateway() const { return dir_ + "/gw"; }

    std::string dir_;
    std::unique_ptr<ChildProcess> simulator_;
    std::unique_ptr<ChildProcess> socat_;
};

TEST_F(SerialBridge, PortMadeBySocatAnswersAndStaysOneProgramsAtATime) {
    ASSERT_NO_FATAL_FAILURE(StartBridge());
    const auto info = Info();
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Версия бутлоадера: 02.00\n"), std::string::npos) << info.out;
    // While one program of ours has the port, another is refused.
    TComPort holder;
    ASSERT_TRUE(holder.Open(Gateway(), 115200, 100ms)) << holder.LastError();
    const auto second = Info();
    EXPECT_EQ(second.status, 1);
    EXPECT_NE(second.err.find("занят"), std::string::npos) << second.err;
}

}  // namespace
}  // namespace tulvo
