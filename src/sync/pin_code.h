#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tulvo {

// The 6-byte SIM PIN block: up to 4 digit characters padded with 0x00, a 0x00
// in byte 4, checksum in byte 5. Only ever written.
class PinCode {
  public:
    static constexpr std::size_t kSize = 6;
    static constexpr std::size_t kMaxLength = 4;
    using Payload = std::array<std::uint8_t, kSize>;

    // Characters beyond the fourth are cut; checking that they are digits is
    // the caller's business.
    static Payload Build(std::string_view digits);
};

}  // namespace tulvo
