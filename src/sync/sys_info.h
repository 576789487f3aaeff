#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tulvo {

// The 34-byte system information reply: firmware version text (bytes 0-11),
// IMEI text (12-27), signal level (28), bootloader version (29-30) and its
// complement (31-32), checksum (33). Texts stay Windows-1251 bytes.
class SysInfo {
  public:
    static constexpr std::size_t kSize = 34;

    // Throws std::out_of_range when the payload is shorter than kSize - 1.
    static SysInfo Parse(std::span<const std::uint8_t> payload);

    std::string firmware;
    std::string imei;
    int signal = 0;  // 0-31; values above 31 read as 0
    // Present only when the complement agrees and the version is 2 or more.
    std::optional<std::uint16_t> bootloader;

    // "02.00" for 0x0200, "03.15" for 0x0315: four 4-bit digits, most
    // significant first, each in decimal; "NA" when no version is present.
    std::string BootloaderText() const;
};

}  // namespace tulvo
