// The `tulvo` program run as a child process against its own simulated gateway.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "e2e/child_process.h"
#include "program_version.h"
#include "support/short_cli_link_timing.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

const std::string kTulvo = TULVO_CLI_PATH;

class TulvoCli : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tulvo-cli-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Starts `tulvo simulate --link dir/gw` with extra arguments and waits
    // for the device path it prints.
    std::unique_ptr<ChildProcess> StartSimulator(std::vector<std::string> extra = {}) {
        std::vector<std::string> argv{kTulvo, "simulate", "--link", Link()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        auto sim = std::make_unique<ChildProcess>(argv);
        const auto device = sim->ReadLine(10s);
        EXPECT_TRUE(device) << sim->Err();
        if (device) {
            EXPECT_EQ(std::filesystem::read_symlink(Link()).string(), *device);
        }
        return sim;
    }

    ChildProcess::Result Info() {
        return ChildProcess::Run({kTulvo, "info", "--port", Link(), "--store", dir + "/s.reg"},
                                 30s);
    }

    std::string Link() const { return dir + "/gw"; }

    std::string dir;
};

TEST_F(TulvoCli, InfoPrintsWhatTheSimulatedGatewayReports) {
    auto sim = StartSimulator({"--baud", "115200", "--latency-ms", "1"});
    const auto info = Info();
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("Версия программного обеспечения Tulvo Univerrsal: TU-2.14\n"),
              std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("IMEI код: 356938035643809\n"), std::string::npos);
    EXPECT_NE(info.out.find("Уровень принимаемого сигнала: 21\n"), std::string::npos);
    EXPECT_NE(info.out.find("Версия бутлоадера: 02.00\n"), std::string::npos);

    sim->Signal(SIGTERM);
    EXPECT_EQ(sim->Wait(10s), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(Link())) << "the link is removed on exit";
}

TEST_F(TulvoCli, InfoReportsASilentGatewayAfterOneAttempt) {
    const test::ShortCliLinkTiming shortTiming;
    auto sim = StartSimulator({"--fault", "silent:cmd=00"});
    const auto info = Info();
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.err, "Ошибка при чтении данных!\n");
    EXPECT_EQ(info.out, "");
    sim->Signal(SIGINT);
    EXPECT_EQ(sim->Wait(10s), 0);
}

TEST_F(TulvoCli, SimulatorEndsWhenAHangUpFaultTakesTheDeviceAway) {
    const test::ShortCliLinkTiming shortTiming;
    auto sim = StartSimulator({"--fault", "hangup:cmd=00"});
    const auto info = Info();
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.err, "Ошибка при чтении данных!\n");
    EXPECT_EQ(sim->Wait(10s), 0) << "no signal needed";
    EXPECT_FALSE(std::filesystem::is_symlink(Link()));
}

TEST_F(TulvoCli, InfoReportsAPortThatDoesNotOpen) {
    const auto info = Info();
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.err.rfind("Невозможно открыть порт!\n", 0), 0u) << info.err;
    EXPECT_GT(info.err.size(), std::string("Невозможно открыть порт!\n").size())
        << "the reason follows";
}

TEST_F(TulvoCli, BadUsageExitsWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {kTulvo},
        {kTulvo, "bogus"},
        {kTulvo, "info"},
        {kTulvo, "info", "--port"},
        {kTulvo, "info", "--port", "x", "--colour", "red"},
        {kTulvo, "simulate", "--fault", "loud"},
        {kTulvo, "simulate", "--baud", "fast"},
        {kTulvo, "read", "--port", "x", "extra"},
        {kTulvo, "export", "a.cnfg", "b.cnfg"},
        {kTulvo, "write", "--store"},
        {kTulvo, "read", "--port", "--store", "s.reg"},
        {kTulvo, "info", "--port", "a", "--port", "b"},
        {kTulvo, "simulate", "--baud", "0"},
        {kTulvo, "simulate", "--baud", "100000"},
    };
    for (const auto& argv : cases) {
        const auto run = ChildProcess::Run(argv, 10s);
        EXPECT_EQ(run.status, 2) << argv.back();
        EXPECT_FALSE(run.err.empty()) << argv.back();
    }
}

TEST_F(TulvoCli, HelpListsTheCommandsAndTheFaultRules) {
    const auto help = ChildProcess::Run({kTulvo, "--help"}, 10s);
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"info", "simulate", "silent", "badheader", "noise", "--store",
                             "1 different, 2 the comparison failed"}) {
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
    }
    const auto version = ChildProcess::Run({kTulvo, "--version"}, 10s);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("tulvo ") + kProgramVersion + "\n");
}

TEST_F(TulvoCli, SimulateRefusesToReplaceAFileThatIsNotALink) {
    {
        std::FILE* f = std::fopen(Link().c_str(), "w");
        std::fclose(f);
    }
    ChildProcess sim({kTulvo, "simulate", "--link", Link()});
    EXPECT_EQ(sim.Wait(10s), 1);
    EXPECT_TRUE(std::filesystem::is_regular_file(Link()));
}

}  // namespace
}  // namespace tulvo
