#include "actions/firmware_update.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "link/crc16.h"
#include "link/port_most.h"
#include "sim/gateway.h"
#include "store/temp_dir.h"
#include "support/recording_operator.h"
#include "sync/firmware_samples.h"
#include "sync/firmware_upload.h"
#include "sync/transfer_progress.h"

namespace tulvo {
namespace {

using sim::FaultRule;
using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

const std::string kProgramWritten = "Файл TProgram записан";
const std::string kVoiceWritten = "Файл TVoice записан";
const std::string kBadFormat = "Недопустимый формат файла";
const std::string kWriteError = "Ошибка при записи данных!";
const std::string kVoiceReadError = "Ошибка при чтении файла TVoice!";
const std::string kCannotOpenPort = "Невозможно открыть порт!";
constexpr std::uint16_t kFirstBlock = 3336;
constexpr std::uint8_t kBlockCommand = 0x16;
constexpr std::uint8_t kEndCommand = 0x17;

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(to));
}

TEST(Crc16Arc, MatchesTheCheckValue) {
    const std::string check = "123456789";
    EXPECT_EQ(Crc16Arc(Bytes(check.begin(), check.end())), 0xBB3D);
    EXPECT_EQ(Crc16Arc(Bytes{}), 0);
}

class FirmwareUpdateTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(gateway.Start()) << gateway.Error(); }

    std::string File(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.File(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    FirmwareUpdate::Outcome Run(const FirmwareUpdate::Files& files,
                                std::string device = "<gateway>") {
        if (device == "<gateway>") {
            device = gateway.DevicePath();
        }
        const DeviceAccess access{port, op, [device] { return device; }};
        return FirmwareUpdate(access).Run(
            files, [this](const GatewayActions::Job& job) { return job(progress); });
    }

    // The data bytes (checksum byte left out) of the block stored at an address.
    Bytes Block(std::uint16_t address) {
        const auto blocks = gateway.State().FirmwareBlocks();
        const auto found = blocks.find(address);
        return found == blocks.end() ? Bytes{} : Slice(found->second, 0, 528);
    }

    sim::Gateway gateway;
    TPortMost port{LinkTiming::Fast()};
    test::RecordingOperator op;
    TransferProgress progress;
    test::TempDir dir;
};

TEST_F(FirmwareUpdateTest, ProgramOfWholeBlocksGoesToConsecutiveAddressesThenEnds) {
    const Bytes image = SampleProgramImage(528 * 3);
    const auto outcome = Run({File("p.bin", image), ""});
    EXPECT_TRUE(outcome.programWritten);
    EXPECT_EQ(op.Texts(), Strings{kProgramWritten});
    const auto blocks = gateway.State().FirmwareBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    for (std::uint16_t k = 0; k < 3; ++k) {
        EXPECT_EQ(Block(kFirstBlock + k), Slice(image, 528 * k, 528 * (k + 1))) << k;
    }
    EXPECT_EQ(gateway.State().FirmwareEnds(), 1);
    EXPECT_EQ(gateway.Log().Entries().back().command, kEndCommand);
    EXPECT_EQ(gateway.State().FirmwareBlockWrites(), 3u);
}

TEST_F(FirmwareUpdateTest, ShortLastProgramBlockCarriesTheEarlierBlocksTail) {
    const Bytes image = SampleProgramImage(1000);
    Run({File("p.bin", image), ""});
    EXPECT_EQ(op.Texts(), Strings{kProgramWritten});
    ASSERT_EQ(gateway.State().FirmwareBlocks().size(), 2u);
    Bytes expected = Slice(image, 528, 1000);
    const Bytes tail = Slice(image, 472, 528);
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Block(kFirstBlock + 1), expected);
    EXPECT_EQ(gateway.State().FirmwareEnds(), 1);
}

TEST_F(FirmwareUpdateTest, PausesOnceBeforeThe97thProgramBlock) {
    std::vector<std::size_t> writesAtPause;
    port.SetPauseObserver([&](std::chrono::milliseconds) {
        writesAtPause.push_back(gateway.State().FirmwareBlockWrites());
    });
    Run({File("p.bin", SampleProgramImage(528 * 100 + 10)), ""});
    EXPECT_EQ(op.Texts(), Strings{kProgramWritten});
    EXPECT_EQ(writesAtPause, std::vector<std::size_t>{96});
    EXPECT_EQ(gateway.State().FirmwareBlocks().size(), 101u);
}

// A bad program header sends nothing and no end command, but a named voice
// file still goes out.
TEST_F(FirmwareUpdateTest, BadProgramHeaderSkipsToTheVoiceImage) {
    Bytes badCrc = SampleProgramImage(2000);
    badCrc[14] ^= 0x01;
    const Bytes voice = SampleVoiceImage(2, 100);
    for (const Bytes& program : {SampleProgramImage(2000, 2), badCrc, Bytes{0x01, 0x00}}) {
        gateway.State().ClearFirmware();
        op.entries.clear();
        const auto outcome = Run({File("p.bin", program), File("v.bin", voice)});
        EXPECT_FALSE(outcome.programWritten);
        EXPECT_TRUE(outcome.voiceWritten);
        EXPECT_EQ(op.Texts(), (Strings{kBadFormat, kVoiceWritten}));
        EXPECT_EQ(gateway.State().FirmwareBlocks().count(kFirstBlock), 0u);
        EXPECT_EQ(gateway.State().FirmwareBlockWrites(), 2u);
        EXPECT_EQ(gateway.State().FirmwareEnds(), 0);
    }
}

TEST_F(FirmwareUpdateTest, VoiceRecordsGoToTheirAddressesWithTheBufferBehindThem) {
    const Bytes data(10, 0x77);
    const Bytes voice = SampleVoiceImage({{0x0200, data}, {0x0201, Bytes(528, 0x33)}});
    const auto outcome = Run({"", File("v.bin", voice)});
    EXPECT_TRUE(outcome.voiceWritten);
    EXPECT_EQ(op.Texts(), Strings{kVoiceWritten});
    // A record shorter than its header overwrites only the header's first
    // bytes: the rest of the header and the untouched buffer follow it.
    Bytes first = data;
    const Bytes headerTail = Slice(voice, 10, 16);
    first.insert(first.end(), headerTail.begin(), headerTail.end());
    first.resize(528, 0);
    EXPECT_EQ(Block(0x0200), first);
    EXPECT_EQ(Block(0x0201), Bytes(528, 0x33));
    EXPECT_EQ(gateway.State().FirmwareEnds(), 0) << "only a program image is ended";
}

// The voice image is checked whole before its first block goes out, so a
// damaged record leaves none of the records before it written.
TEST_F(FirmwareUpdateTest, BrokenVoiceFilesAreRefusedWithTheReadErrorBeforeAnyBlock) {
    const Bytes good = SampleVoiceImage(2, 100);
    Bytes badData = good;
    badData[16 + 5] ^= 0xFF;
    Bytes badSecond = good;
    badSecond[16 + 100 + 16 + 7] ^= 0xFF;
    Bytes badSecondHeader = good;
    badSecondHeader[16 + 100 + 14] ^= 0xFF;
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"no end header", SampleVoiceImage({{1, Bytes(10, 1)}, {2, Bytes(20, 2)}}, false)},
        {"short header", Slice(good, 0, 10)},
        {"data shorter than its length", Slice(good, 0, 16 + 50)},
        {"data CRC wrong", badData},
        {"second record's data CRC wrong", badSecond},
        {"second record's header CRC wrong", badSecondHeader},
        {"record of 529 bytes", SampleVoiceImage({{1, Bytes(20, 1)}, {2, Bytes(529, 2)}})},
    };
    for (const auto& [name, voice] : cases) {
        gateway.State().ClearFirmware();
        op.entries.clear();
        const auto outcome = Run({File("p.bin", SampleProgramImage(600)), File("v.bin", voice)});
        EXPECT_FALSE(outcome.voiceWritten) << name;
        EXPECT_EQ(op.Texts(), (Strings{kProgramWritten, kVoiceReadError})) << name;
        EXPECT_EQ(gateway.State().FirmwareBlockWrites(), 2u) << name << ": the program only";
    }
}

// Serves the first bytes of an image, then fails as a disk does on a bad sector.
struct FailingDisk : std::streambuf {
    FailingDisk(Bytes& bytes, std::size_t readable) {
        char* start = reinterpret_cast<char*>(bytes.data());
        setg(start, start, start + readable);
    }
    int_type underflow() override {
        throw std::ios_base::failure("read", std::error_code(EIO, std::generic_category()));
    }
};

// A read error is never taken for the end of the program file: the image
// stops with the file's name and the system's reason, and is not ended.
TEST_F(FirmwareUpdateTest, ReadErrorInTheProgramFileStopsItWithTheReason) {
    Bytes image = SampleProgramImage(528 * 4);
    for (const std::size_t readable : {std::size_t{8}, std::size_t{528 * 2 + 100}}) {
        gateway.State().ClearFirmware();
        op.entries.clear();
        FailingDisk disk(image, readable);
        std::istream file(&disk);
        file.exceptions(std::ios::badbit);
        ASSERT_TRUE(port.Open(gateway.DevicePath()));
        FirmwareProgress firmware;
        FirmwareUpload upload(port, op, progress, firmware);
        EXPECT_FALSE(upload.SendProgram(file, image.size(), "/media/fw/TProgram.bin"));
        port.Close();
        EXPECT_EQ(op.Texts(),
                  Strings{"Невозможно прочитать файл /media/fw/TProgram.bin (Input/output error)"});
        EXPECT_EQ(gateway.State().FirmwareBlockWrites(), readable / 528);
    }
}

// A refused block is sent up to four times in all; a block that gets no
// reply ends the program image at once.
TEST_F(FirmwareUpdateTest, RefusedBlockIsSentAgainUpToFourTimes) {
    struct Case {
        FaultRule::Kind kind;
        int count;
        std::size_t sends;
        bool gaveUp;
    };
    for (const Case& c :
         {Case{FaultRule::Kind::Status, 3, 4, false}, Case{FaultRule::Kind::Status, 4, 4, true},
          Case{FaultRule::Kind::Silence, 1, 1, true}}) {
        gateway.State().ClearFirmware();
        gateway.Log().Clear();
        gateway.Faults().Clear();
        op.entries.clear();
        gateway.Faults().Add({.kind = c.kind,
                              .command = kBlockCommand,
                              .fromIndex = kFirstBlock + 1,
                              .toIndex = kFirstBlock + 1,
                              .count = c.count});
        const auto outcome = Run({File("p.bin", SampleProgramImage(528 * 3)), ""});
        std::size_t sends = 0;
        for (const auto& request : gateway.Log().Entries()) {
            sends += request.command == kBlockCommand && request.index == kFirstBlock + 1;
        }
        EXPECT_EQ(sends, c.sends) << c.count;
        EXPECT_EQ(outcome.programWritten, !c.gaveUp);
        EXPECT_EQ(op.Texts(), Strings{c.gaveUp ? kWriteError : kProgramWritten});
        EXPECT_EQ(gateway.State().FirmwareBlocks().size(), c.gaveUp ? 1u : 3u);
        EXPECT_EQ(gateway.State().FirmwareEnds(), c.gaveUp ? 0 : 1);
    }
}

// Everything checked before the port opens stops the update with nothing sent.
TEST_F(FirmwareUpdateTest, ChecksBeforeThePortOpens) {
    const std::string program = File("p.bin", SampleProgramImage(1000));
    const std::string tooBig = File("big.bin", SampleProgramImage(0x40000));
    struct Case {
        FirmwareUpdate::Files files;
        std::string device;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{program, ""}, "", kCannotOpenPort},
        {{"", ""}, "<gateway>", "Не указан файл прошивки!"},
        {{dir.File("missing.bin"), ""}, "<gateway>", "Невозможно открыть файл TProgram!"},
        {{dir.Path(), ""}, "<gateway>", "Невозможно открыть файл TProgram!"},
        {{tooBig, ""}, "<gateway>", "Недопустимый размер файла"},
        {{program, dir.File("missing.bin")}, "<gateway>", "Невозможно открыть файл TVoice!"},
        {{program, ""}, dir.File("no-such-port"), kCannotOpenPort},
    };
    for (const Case& c : cases) {
        op.entries.clear();
        const auto outcome = Run(c.files, c.device);
        EXPECT_FALSE(outcome.opened) << c.text;
        EXPECT_EQ(op.Texts(), Strings{c.text}) << c.text;
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_FALSE(op.entries.back().detail.empty()) << "the system's reason for the port";
    EXPECT_EQ(gateway.Log().Count(), 0u);
}

}  // namespace
}  // namespace tulvo
