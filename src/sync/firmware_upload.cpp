#include "sync/firmware_upload.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>

#include "link/byte_io.h"
#include "link/crc16.h"
#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"

namespace tulvo {
namespace {

// Program header: image type, then the header's own CRC over bytes 0-13.
constexpr std::uint16_t kProgramImageType = 1;
constexpr std::size_t kTypeOffset = 0;
constexpr std::size_t kHeaderCrcOffset = 14;
constexpr std::size_t kHeaderCrcCovers = 14;
// Voice record header.
constexpr std::uint16_t kVoiceDataRecord = 2;
constexpr std::size_t kVoiceLengthOffset = 2;
constexpr std::size_t kVoiceAddressOffset = 4;
constexpr std::size_t kVoiceDataCrcOffset = 12;
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

std::size_t FirmwareUpload::Read(std::istream& file, std::size_t count) {
    count = std::min(count, kBlockData);
    if (!file) {
        return 0;
    }
    file.read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(count));
    return static_cast<std::size_t>(file.gcount());
}

bool FirmwareUpload::SendBlock(std::uint16_t address) {
    for (int send = 0; send < kBlockSends; ++send) {
        std::uint8_t status = 0xFF;
        if (!port_.WriteFirmwareBlock(address, buffer_, status)) {
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
    std::uint16_t address = kProgramFirstAddress;
    int i = 0;
    std::size_t got = Read(file, kBlockData);
    const auto header = std::span<const std::uint8_t>(buffer_).first(kHeaderSize);
    if (got < kHeaderSize || byte_io::ReadU16le(header, kTypeOffset) != kProgramImageType ||
        Crc16Arc(header.first(kHeaderCrcCovers)) != byte_io::ReadU16le(header, kHeaderCrcOffset)) {
        op_.Error(texts::kFirmwareBadFormat);
        return false;
    }
    // A file of whole blocks ends with a read that delivers nothing.
    while (got > 0) {
        if (progress_.StopRequested()) {
            return false;
        }
        if (i == kPausedProgramBlock) {
            port_.FirmwarePause();
        }
        if (!SendBlock(address)) {
            op_.Error(texts::kFirmwareWriteError);
            return false;
        }
        if (got < kBlockData) {
            break;
        }
        got = Read(file, kBlockData);
        progress_.SetPosition(i);
        ++i;
        ++address;
    }
    op_.Message(texts::kProgramWritten);
    return true;
}

bool FirmwareUpload::VoiceReadError() {
    op_.Error(texts::kVoiceReadError);
    return false;
}

bool FirmwareUpload::SendVoice(std::istream& file, std::uintmax_t size) {
    progress_.SetMaximum(Blocks(size));
    progress_.SetPosition(0);
    const auto buffer = std::span<const std::uint8_t>(buffer_);
    for (int i = 0;; ++i) {
        if (progress_.StopRequested()) {
            return false;
        }
        if (Read(file, kHeaderSize) < kHeaderSize) {
            return VoiceReadError();
        }
        if (byte_io::ReadU16le(buffer, kTypeOffset) != kVoiceDataRecord) {
            op_.Message(texts::kVoiceWritten);
            return true;
        }
        if (Crc16Arc(buffer.first(kHeaderCrcCovers)) !=
            byte_io::ReadU16le(buffer, kHeaderCrcOffset)) {
            return VoiceReadError();
        }
        const std::size_t length = byte_io::ReadU16le(buffer, kVoiceLengthOffset);
        const std::uint16_t address = byte_io::ReadU16le(buffer, kVoiceAddressOffset);
        const std::uint16_t dataCrc = byte_io::ReadU16le(buffer, kVoiceDataCrcOffset);
        // A record that cannot travel in one block is refused before any of
        // it is read into the buffer, let alone sent.
        if (length > kBlockData || Read(file, length) < length ||
            Crc16Arc(buffer.first(length)) != dataCrc) {
            return VoiceReadError();
        }
        if (!SendBlock(address)) {
            op_.Error(texts::kFirmwareWriteError);
            return false;
        }
        // Records shorter than a block can outnumber the blocks of the file.
        progress_.SetPosition(std::min(i, progress_.Maximum()));
    }
}

void FirmwareUpload::EndUpdate() {
    std::array<std::uint8_t, kEndPayloadSize> payload{};
    std::uint8_t status = 0xFF;
    port_.EndFirmwareUpdate(payload, status);
}

}  // namespace tulvo
