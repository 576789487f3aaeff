// The `tulvo` program run as a child process against its own simulated gateway.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The lines of a file, or none when it cannot be read.
std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::size_t CountContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const auto& l) {
        return l.find(text) != std::string::npos;
    }));
}

TEST_F(TulvoCli, TraceOfAReadShowsTheFiveFailedAttemptsOfASilentRecord) {
    const test::ShortCliLinkTiming shortTiming;
    auto sim = StartSimulator({"--fault", "silent:cmd=07:index=4"});
    const std::string trace = dir + "/trace.log";
    const auto read = ChildProcess::Run(
        {kTulvo, "--trace", trace, "read", "--port", Link(), "--store", dir + "/s.reg"}, 60s);
    EXPECT_EQ(read.status, 1);
    EXPECT_NE(read.err.find("Ошибка связи с устройством!"), std::string::npos) << read.err;

    const auto lines = FileLines(trace);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().rfind("# tulvo read ", 0), 0u) << lines.front();
    for (int attempt = 1; attempt <= 5; ++attempt) {
        const std::string of = " try=" + std::to_string(attempt) + "/5";
        EXPECT_EQ(CountContaining(lines, "> ReadAbInfo idx=4" + of + " len=0 [07 00 21 04 00 6C]"),
                  1u)
            << attempt;
        EXPECT_EQ(CountContaining(lines, "! ReadAbInfo idx=4" + of + " FAILED no-reply"), 1u)
            << attempt;
    }
    EXPECT_EQ(CountContaining(lines, "FAILED"), 5u);
    EXPECT_EQ(CountContaining(lines, "< ReadAbInfo idx=3 st=02 try=1/5"), 1u);

    // After the command too; a second run appends its own lines.
    const auto info = ChildProcess::Run(
        {kTulvo, "info", "--port", Link(), "--store", dir + "/s.reg", "--trace", trace}, 30s);
    EXPECT_EQ(info.status, 0) << info.err;
    const auto more = FileLines(trace);
    EXPECT_EQ(std::vector<std::string>(more.begin(), more.begin() + lines.size()), lines);
    EXPECT_EQ(CountContaining(more, "# tulvo info "), 1u);
    EXPECT_EQ(CountContaining(more, "< ReadSysInfo idx=0 st=00 try=1/1 len=34 ["), 1u);
    sim->Signal(SIGTERM);
    EXPECT_EQ(sim->Wait(10s), 0);
}

TEST_F(TulvoCli, TraceFileThatCannotBeOpenedIsBadUsageBeforeThePortOpens) {
    // No simulator: a run that went as far as the port would fail with 1.
    const std::vector<std::vector<std::string>> cases = {
        {kTulvo, "--trace", dir + "/no/such/folder/t.log", "info", "--port", Link()},
        {kTulvo, "--trace", dir, "info", "--port", Link()},
        {kTulvo, "info", "--port", Link(), "--trace=" + dir + "/no/such/t.log"},
        {kTulvo, "info", "--port", Link(), "--trace="},
        {kTulvo, "--trace"},
        {kTulvo, "--trace", dir + "/a.log", "info", "--port", Link(), "--trace", dir + "/b.log"},
        {kTulvo, "--trace", dir + "/t.log", "export", dir + "/x.cnfg"},
        // Never into the gateway's port nor into the program's own files.
        {kTulvo, "--trace", Link(), "info", "--port", Link()},
        {kTulvo, "--trace", dir + "/s.reg", "read", "--port", Link(), "--store", dir + "/s.reg"},
        {kTulvo, "--trace", dir + "/d/DataBilling.dbf", "calllog", "download", "--port", Link(),
         "--data-dir", dir + "/d"},
    };
    for (const auto& argv : cases) {
        const auto run = ChildProcess::Run(argv, 10s);
        EXPECT_EQ(run.status, 2) << argv.back() << ": " << run.err;
        EXPECT_EQ(run.err.find("Невозможно открыть порт"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/t.log")) << "a command that does not talk to "
                                                             "the gateway takes no trace";
}

TEST_F(TulvoCli, HelpListsTheCommandsAndTheFaultRules) {
    const auto help = ChildProcess::Run({kTulvo, "--help"}, 10s);
    EXPECT_EQ(help.status, 0);
    for (const char* word : {"info", "simulate", "silent", "badheader", "noise", "--store",
                             "--trace FILE", "1 different, 2 the comparison failed"}) {
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
