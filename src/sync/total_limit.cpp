#include "sync/total_limit.h"

#include <algorithm>

#include "link/byte_io.h"
#include "link/command_table.h"
#include "link/crc8.h"

namespace tulvo {

static_assert(CarriesRecord(command::ReadTotalLimit, command::WriteTotalLimit, TotalLimit::kSize));

namespace {

constexpr std::size_t kFlags = 0;
constexpr std::size_t kTimeLeft = 1;
constexpr std::size_t kThreshold = 5;
constexpr std::uint8_t kOffBit = 0x01;

void Seal(TotalLimit::Payload& bytes) {
    bytes[TotalLimit::kSize - 1] = Crc8(bytes.data(), TotalLimit::kSize - 1);
}

}  // namespace

TotalLimit::TotalLimit() {
    bytes_[kFlags] = 0xFF;
    Seal(bytes_);
}

void TotalLimit::Load(std::span<const std::uint8_t> payload) {
    byte_io::CheckRange(payload.size(), 0, kSize);
    std::copy_n(payload.begin(), kSize, bytes_.begin());
}

bool TotalLimit::Enabled() const {
    return (bytes_[kFlags] & kOffBit) == 0;
}

std::uint32_t TotalLimit::TimeLeft() const {
    return ReadU32le(bytes_, kTimeLeft);
}

std::uint32_t TotalLimit::Threshold() const {
    return ReadU32le(bytes_, kThreshold);
}

TotalLimit::Payload TotalLimit::ForWrite(bool enabled, std::uint32_t limitSeconds) const {
    Payload out = bytes_;
    out[kFlags] = enabled ? static_cast<std::uint8_t>(out[kFlags] & ~kOffBit)
                          : static_cast<std::uint8_t>(out[kFlags] | kOffBit);
    WriteU32le(out, kTimeLeft, limitSeconds);
    Seal(out);
    return out;
}

TotalLimit::Payload TotalLimit::ForWrite(bool enabled, std::uint32_t limitSeconds,
                                         std::uint32_t thresholdSeconds) const {
    Payload out = ForWrite(enabled, limitSeconds);
    WriteU32le(out, kThreshold, thresholdSeconds);
    Seal(out);
    return out;
}

}  // namespace tulvo
