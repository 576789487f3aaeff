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

int Blocks(std::uintmax_t size) {
    return static_cast<int>(std::min<std::uintmax_t>(size / FirmwareUpload::kBlockData, 1 << 30));
}

}  // namespace

std::optional<FirmwareFile> FirmwareFile::Open(const std::string& path) {
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return std::nullopt;
    }
    FirmwareFile file;
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
    return file;
}

FirmwareUpload::FirmwareUpload(TPortMost& port, Operator& op, TransferProgress& progress)
    : port_(port), op_(op), progress_(progress) {}

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

bool FirmwareUpload::SendProgram(std::istream& file, std::uintmax_t size) {
    progress_.SetMaximum(Blocks(size));
    progress_.SetPosition(0);
    FirmwareImageReader reader(FirmwareImageReader::Kind::Program, file);
    FirmwareImageReader::Step step = reader.Next();
    if (step == FirmwareImageReader::Step::Bad) {
        op_.Error(texts::kFirmwareBadFormat);
        return false;
    }
    for (; step == FirmwareImageReader::Step::Block; step = reader.Next()) {
        if (progress_.StopRequested()) {
            return false;
        }
        if (reader.BlockNumber() == kPausedProgramBlock) {
            port_.FirmwarePause();
        }
        if (!SendBlock(reader.Address(), reader.Buffer())) {
            op_.Error(texts::kFirmwareWriteError);
            return false;
        }
        progress_.SetPosition(reader.BlockNumber());
    }
    op_.Message(texts::kProgramWritten);
    return true;
}

bool FirmwareUpload::SendVoice(std::istream& file, std::uintmax_t size) {
    progress_.SetMaximum(Blocks(size));
    progress_.SetPosition(0);
    FirmwareImageReader reader(FirmwareImageReader::Kind::Voice, file);
    for (;;) {
        if (progress_.StopRequested()) {
            return false;
        }
        switch (reader.Next()) {
            case FirmwareImageReader::Step::Bad:
                op_.Error(texts::kVoiceReadError);
                return false;
            case FirmwareImageReader::Step::End:
                op_.Message(texts::kVoiceWritten);
                return true;
            case FirmwareImageReader::Step::Block:
                break;
        }
        if (!SendBlock(reader.Address(), reader.Buffer())) {
            op_.Error(texts::kFirmwareWriteError);
            return false;
        }
        // Records shorter than a block can outnumber the blocks of the file.
        progress_.SetPosition(std::min(reader.BlockNumber(), progress_.Maximum()));
    }
}

void FirmwareUpload::EndUpdate() {
    std::array<std::uint8_t, kEndPayloadSize> payload{};
    std::uint8_t status = 0xFF;
    port_.EndFirmwareUpdate(payload, status);
}

}  // namespace tulvo
