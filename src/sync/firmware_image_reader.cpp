#include "sync/firmware_image_reader.h"

#include <algorithm>
#include <ios>

#include "link/byte_io.h"
#include "link/crc16.h"

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

bool HeaderCrcHolds(std::span<const std::uint8_t> header) {
    return Crc16Arc(header.first(kHeaderCrcCovers)) == ReadU16le(header, kHeaderCrcOffset);
}

}  // namespace

FirmwareImageReader::FirmwareImageReader(Kind kind, std::istream& file)
    : kind_(kind), file_(file) {}

FirmwareImageReader::Step FirmwareImageReader::Next() {
    return kind_ == Kind::Program ? NextProgramBlock() : NextVoiceRecord();
}

std::size_t FirmwareImageReader::Read(std::size_t count) {
    count = std::min(count, kBlockData);
    if (!file_ || failed_) {
        return 0;
    }
    try {
        file_.read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(count));
    } catch (const std::ios_base::failure& error) {
        readError_ = error.code().message();
    }
    failed_ = file_.bad();
    return static_cast<std::size_t>(file_.gcount());
}

FirmwareImageReader::Step FirmwareImageReader::NextProgramBlock() {
    if (lastBlockShort_) {
        return Step::End;
    }
    const std::size_t got = Read(kBlockData);
    if (ReadFailed()) {
        return Step::Failed;
    }
    if (blocks_ == 0) {
        const auto header = std::span<const std::uint8_t>(buffer_).first(kHeaderSize);
        if (got < kHeaderSize || ReadU16le(header, kTypeOffset) != kProgramImageType ||
            !HeaderCrcHolds(header)) {
            return Step::Bad;
        }
    }
    // A file of whole blocks ends with a read that delivers nothing.
    if (got == 0) {
        return Step::End;
    }
    lastBlockShort_ = got < kBlockData;
    address_ = static_cast<std::uint16_t>(kProgramFirstAddress + blocks_);
    ++blocks_;
    return Step::Block;
}

FirmwareImageReader::Step FirmwareImageReader::NextVoiceRecord() {
    const auto buffer = std::span<const std::uint8_t>(buffer_);
    if (Read(kHeaderSize) < kHeaderSize) {
        return ReadFailed() ? Step::Failed : Step::Bad;
    }
    if (ReadU16le(buffer, kTypeOffset) != kVoiceDataRecord) {
        return Step::End;
    }
    if (!HeaderCrcHolds(buffer.first(kHeaderSize))) {
        return Step::Bad;
    }
    const std::size_t length = ReadU16le(buffer, kVoiceLengthOffset);
    const std::uint16_t address = ReadU16le(buffer, kVoiceAddressOffset);
    const std::uint16_t dataCrc = ReadU16le(buffer, kVoiceDataCrcOffset);
    // A record that cannot travel in one block is refused before any of it
    // is read into the buffer.
    if (length > kBlockData) {
        return Step::Bad;
    }
    if (Read(length) < length || Crc16Arc(buffer.first(length)) != dataCrc) {
        return ReadFailed() ? Step::Failed : Step::Bad;
    }
    address_ = address;
    ++blocks_;
    return Step::Block;
}

}  // namespace tulvo
