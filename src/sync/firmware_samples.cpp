#include "sync/firmware_samples.h"

#include <algorithm>
#include <span>

#include "link/byte_io.h"
#include "link/crc16.h"

namespace tulvo {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kBlockData = 528;

std::vector<std::uint8_t> Header(std::uint16_t type, std::uint16_t length, std::uint16_t address,
                                 std::uint16_t dataCrc) {
    std::vector<std::uint8_t> header(kHeaderSize, 0);
    byte_io::WriteU16le(header, 0, type);
    byte_io::WriteU16le(header, 2, length);
    byte_io::WriteU16le(header, 4, address);
    byte_io::WriteU16le(header, 12, dataCrc);
    byte_io::WriteU16le(header, 14, Crc16Arc(std::span(header).first(14)));
    return header;
}

}  // namespace

std::vector<std::uint8_t> SampleProgramImage(std::size_t size, std::uint16_t type) {
    std::vector<std::uint8_t> image(std::max(size, kHeaderSize));
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i % 251 + i / kBlockData);
    }
    const std::vector<std::uint8_t> header =
        Header(type, 0, 0, static_cast<std::uint16_t>(image.size() / kBlockData));
    std::copy(header.begin(), header.end(), image.begin());
    return image;
}

std::vector<std::uint8_t> SampleVoiceImage(const std::vector<VoiceRecord>& records,
                                           bool endHeader) {
    std::vector<std::uint8_t> image;
    for (const VoiceRecord& record : records) {
        const auto header = Header(2, static_cast<std::uint16_t>(record.data.size()),
                                   record.address, Crc16Arc(record.data));
        image.insert(image.end(), header.begin(), header.end());
        image.insert(image.end(), record.data.begin(), record.data.end());
    }
    if (endHeader) {
        const auto end = Header(0xFFFF, 0, 0, 0);
        image.insert(image.end(), end.begin(), end.end());
    }
    return image;
}

std::vector<std::uint8_t> SampleVoiceImage(int count, std::size_t length,
                                           std::uint16_t firstAddress) {
    std::vector<VoiceRecord> records;
    for (int r = 0; r < count; ++r) {
        VoiceRecord record{static_cast<std::uint16_t>(firstAddress + r),
                           std::vector<std::uint8_t>(length)};
        for (std::size_t i = 0; i < length; ++i) {
            record.data[i] =
                static_cast<std::uint8_t>((i * 7 + static_cast<std::size_t>(r)) & 0xFF);
        }
        records.push_back(std::move(record));
    }
    return SampleVoiceImage(records);
}

}  // namespace tulvo
