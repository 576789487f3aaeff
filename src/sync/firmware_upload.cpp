#include "sync/firmware_upload.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/firmware_image_reader.h"

namespace tulvo {
namespace {

constexpr std::size_t kEndPayloadSize = 9;

using Stage = FirmwareProgress::Stage;
using Step = FirmwareImageReader::Step;

std::string ReadErrorText(const std::string& path, const std::string& reason) {
    return "Невозможно прочитать файл " + path + (reason.empty() ? "!" : " (" + reason + ")");
}

}  // namespace

std::optional<FirmwareFile> FirmwareFile::Open(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    FirmwareFile file;
    file.path = path;
    file.stream.open(path, std::ios::binary);
    if (!file.stream) {
        return std::nullopt;
    }
    file.stream.seekg(0, std::ios::end);
    const std::streamoff size = file.stream.tellg();
    file.stream.seekg(0, std::ios::beg);
    if (size < 0 || !file.stream) {
        return std::nullopt;
    }
    file.size = static_cast<std::uintmax_t>(size);
    file.stream.exceptions(std::ios::badbit);
    return file;
}

FirmwareUpload::FirmwareUpload(TPortMost& port, Operator& op, TransferProgress& progress,
                               FirmwareProgress& firmware)
    : port_(port), op_(op), progress_(progress), firmware_(firmware) {}

int FirmwareUpload::ProgramBlocks(std::uintmax_t size) {
    const std::uintmax_t blocks = size / kBlockData + (size % kBlockData != 0);
    return static_cast<int>(std::min<std::uintmax_t>(blocks, 1 << 30));
}

std::optional<int> FirmwareUpload::VoiceRecords(std::istream& file) {
    const std::istream::pos_type start = file.tellg();
    FirmwareImageReader reader(FirmwareImageReader::Kind::Voice, file);
    Step step = reader.Next();
    for (; step == Step::Block; step = reader.Next()) {
    }
    file.clear();
    file.seekg(start);
    if (step != Step::End || !file) {
        return std::nullopt;
    }
    return reader.BlockNumber() + 1;
}

bool FirmwareUpload::StopRequested() const {
    return progress_.StopRequested() || firmware_.StopRequested();
}

void FirmwareUpload::Sent(int blocks) {
    // A file that grows while it is sent has more blocks than its size said.
    const int shown = std::min(blocks, firmware_.Blocks());
    firmware_.SetSent(shown);
    progress_.SetPosition(shown);
}

bool FirmwareUpload::SendBlock(std::uint16_t address, std::span<std::uint8_t> block) {
    for (int send = 0; send < kBlockSends; ++send) {
        std::uint8_t status = 0xFF;
        if (!port_.WriteFirmwareBlock(address, block, status)) {
            return false;
        }
        if (status == 0) {
            return true;
        }
    }
    return false;
}

bool FirmwareUpload::SendProgram(std::istream& file, std::uintmax_t size, const std::string& path) {
    firmware_.Begin(Stage::Program, ProgramBlocks(size));
    progress_.SetMaximum(firmware_.Blocks());
    progress_.SetPosition(0);
    FirmwareImageReader reader(FirmwareImageReader::Kind::Program, file);
    Step step = reader.Next();
    if (step == Step::Bad) {
        op_.Error(texts::kFirmwareBadFormat);
        return false;
    }
    for (; step == Step::Block; step = reader.Next()) {
        if (StopRequested()) {
            return false;
        }
        if (reader.BlockNumber() == kPausedProgramBlock) {
            port_.FirmwarePause();
        }
        firmware_.SetStarted();
        if (!SendBlock(reader.Address(), reader.Buffer())) {
            op_.ErrorWithDetail(texts::kFirmwareWriteError, port_.LastLinkError());
            return false;
        }
        Sent(reader.BlockNumber() + 1);
    }
    // A read error is no end of the file: what was not read never goes out,
    // and the caller sends no end command for a program cut short.
    if (step == Step::Failed) {
        op_.Error(ReadErrorText(path, reader.ReadError()));
        return false;
    }
    op_.Message(texts::kProgramWritten);
    return true;
}

bool FirmwareUpload::SendVoice(std::istream& file) {
    // Checked whole before anything goes out, so a damaged record never
    // leaves the records before it written.
    const std::optional<int> records = VoiceRecords(file);
    if (!records) {
        op_.Error(texts::kVoiceReadError);
        return false;
    }
    firmware_.Begin(Stage::Voice, *records);
    progress_.SetMaximum(*records);
    progress_.SetPosition(0);
    FirmwareImageReader reader(FirmwareImageReader::Kind::Voice, file);
    for (;;) {
        if (StopRequested()) {
            return false;
        }
        switch (reader.Next()) {
            case Step::Bad:
            case Step::Failed:  // the file changed since it was checked
                op_.Error(texts::kVoiceReadError);
                return false;
            case Step::End:
                op_.Message(texts::kVoiceWritten);
                return true;
            case Step::Block:
                break;
        }
        firmware_.SetStarted();
        if (!SendBlock(reader.Address(), reader.Buffer())) {
            op_.ErrorWithDetail(texts::kFirmwareWriteError, port_.LastLinkError());
            return false;
        }
        Sent(reader.BlockNumber() + 1);
    }
}

void FirmwareUpload::EndUpdate() {
    firmware_.SetStage(Stage::Ending);
    std::array<std::uint8_t, kEndPayloadSize> payload{};
    std::uint8_t status = 0xFF;
    port_.EndFirmwareUpdate(payload, status);
}

}  // namespace tulvo
