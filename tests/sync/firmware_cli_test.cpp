#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_child.h"
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

}  // namespace
}  // namespace tulvo
