#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_child.h"
#include "sim/gateway.h"
#include "sync/firmware_samples.h"

namespace tulvo {
namespace {

namespace fs = std::filesystem;
using sim::FaultRule;
using Bytes = std::vector<std::uint8_t>;

class FirmwareCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tulvo-fw-cli-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        program = Write("TProgram.bin", SampleProgramImage(528 * 2 + 100));
        voice = Write("TVoice.bin", SampleVoiceImage(3, 200));
    }
    void TearDown() override {
        gateway.Stop();
        fs::remove_all(dir);
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    test::CliChild Firmware(const std::vector<std::string>& files) {
        std::vector<std::string> arguments = {"firmware", "--port", gateway.DevicePath()};
        arguments.insert(arguments.end(), files.begin(), files.end());
        return test::CliChild::Run(arguments, dir);
    }

    fs::path dir;
    std::string program;
    std::string voice;
    sim::Gateway gateway;
};

TEST_F(FirmwareCliTest, ExitsZeroOnlyWhenEveryNamedImageWentOutWhole) {
    auto done = Firmware({"--program", program, "--voice", voice});
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_EQ(done.err, "Файл TProgram записан\nФайл TVoice записан\n");
    EXPECT_EQ(gateway.State().FirmwareBlocks().size(), 3u + 3u);
    EXPECT_EQ(gateway.State().FirmwareEnds(), 1);

    // The program goes out whole, the voice image does not: a failure.
    gateway.Faults().Add({.kind = FaultRule::Kind::Status, .command = 0x16, .toIndex = 0x0101});
    auto voiceRefused = Firmware({"--program", program, "--voice", voice});
    EXPECT_EQ(voiceRefused.exitCode, 1);
    EXPECT_EQ(voiceRefused.err, "Файл TProgram записан\nОшибка при записи данных!\n");
    EXPECT_EQ(gateway.State().FirmwareEnds(), 2);

    EXPECT_EQ(Firmware({}).exitCode, 2) << "no image named";
}

// Ctrl+C while the program image is part-way out only warns that stopping
// leaves the gateway without a working program; a second Ctrl+C stops before
// the next block, sends no end command and exits 1.
TEST_F(FirmwareCliTest, SecondCtrlCStopsAProgramImageTheFirstOnlyWarns) {
    const std::string warning =
        "Если прервать запись сейчас, шлюз останется без работающей программы. "
        "Повторный Ctrl+C прервёт запись.\n";
    constexpr std::size_t kBlocks = 20;
    const std::string image = Write("Long.bin", SampleProgramImage(528 * kBlocks));
    // Every block after the first answers late, so the update takes seconds.
    gateway.Faults().Add({.kind = FaultRule::Kind::Delay,
                          .command = 0x16,
                          .fromIndex = 3337,
                          .delay = std::chrono::milliseconds(150)});
    auto childErr = [this] {
        std::ifstream in(dir / "child.err");
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    for (const int signals : {1, 2}) {
        SCOPED_TRACE(signals);
        gateway.State().ClearFirmware();
        gateway.Log().Clear();
        auto run = test::CliChild::Run(
            {"firmware", "--port", gateway.DevicePath(), "--program", image}, dir, {},
            std::chrono::seconds(60), [&](pid_t pid) {
                ASSERT_TRUE(gateway.Log().WaitForCount(1, std::chrono::seconds(20)));
                kill(pid, SIGINT);
                const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (childErr().find(warning) == std::string::npos &&
                       std::chrono::steady_clock::now() < deadline) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
                if (signals == 2) {
                    kill(pid, SIGINT);
                }
            });
        EXPECT_EQ(run.err.find(warning), 0u) << run.err;
        const bool stopped = signals == 2;
        EXPECT_EQ(run.exitCode, stopped ? 1 : 0) << run.err;
        EXPECT_EQ(run.err.find("прервано") != std::string::npos, stopped) << run.err;
        EXPECT_EQ(gateway.State().FirmwareBlocks().size() < kBlocks, stopped);
        EXPECT_EQ(gateway.State().FirmwareEnds(), stopped ? 0 : 1);
    }
}

}  // namespace
}  // namespace tulvo
