#include "sync/sys_info.h"

#include "link/byte_io.h"
#include "link/command_table.h"

namespace tulvo {

static_assert(command::ReadSysInfo.replyLength == SysInfo::kSize);

namespace {

constexpr std::size_t kFirmwareOffset = 0;
constexpr std::size_t kFirmwareWidth = 12;
constexpr std::size_t kImeiOffset = 12;
constexpr std::size_t kImeiWidth = 16;
constexpr std::size_t kSignalOffset = 28;
constexpr std::size_t kBootOffset = 29;
constexpr std::size_t kBootCheckOffset = 31;
constexpr int kMaxSignal = 31;

// A zero-terminated text inside a fixed-width field; a field without a zero
// is taken whole.
std::string FieldText(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
    byte_io::CheckRange(bytes.size(), offset, width);
    std::string text;
    for (std::size_t i = offset; i < offset + width && bytes[i] != 0; ++i) {
        text.push_back(static_cast<char>(bytes[i]));
    }
    return text;
}

}  // namespace

SysInfo SysInfo::Parse(std::span<const std::uint8_t> payload) {
    SysInfo info;
    info.firmware = FieldText(payload, kFirmwareOffset, kFirmwareWidth);
    info.imei = FieldText(payload, kImeiOffset, kImeiWidth);
    const int signal = ReadU8(payload, kSignalOffset);
    info.signal = signal > kMaxSignal ? 0 : signal;
    const std::uint16_t version = ReadU16le(payload, kBootOffset);
    const std::uint16_t check = ReadU16le(payload, kBootCheckOffset);
    if (static_cast<std::uint16_t>(~version) == check && version >= 2) {
        info.bootloader = version;
    }
    return info;
}

std::string SysInfo::BootloaderText() const {
    if (!bootloader) {
        return "NA";
    }
    // Each 4-bit digit in decimal, so a digit of 0xA shows as "10".
    const std::uint16_t v = *bootloader;
    auto digit = [v](int shift) { return std::to_string((v >> shift) & 0xF); };
    return digit(12) + digit(8) + "." + digit(4) + digit(0);
}

}  // namespace tulvo
