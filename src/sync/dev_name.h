#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tulvo {

// The 10-byte device identifier block: up to 8 Windows-1251 characters padded
// with 0x00, a 0x00 in byte 8, checksum in byte 9.
class DevName {
  public:
    static constexpr std::size_t kSize = 10;
    static constexpr std::size_t kMaxLength = 8;
    using Payload = std::array<std::uint8_t, kSize>;

    // Text longer than 8 bytes is cut at 8.
    static Payload Build(std::string_view text);
    // The bytes from 0 up to the first 0x00 (never into the checksum byte).
    static std::string Parse(std::span<const std::uint8_t> payload);
};

}  // namespace tulvo
