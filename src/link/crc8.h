#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tulvo {

// The link's 8-bit checksum: polynomial 0x8C shifted left, no reflection, no
// final XOR, initial value 0. A run followed by its own Crc8 byte sums to 0.
std::uint8_t Crc8(const std::uint8_t* bytes, std::size_t count);

inline std::uint8_t Crc8(std::span<const std::uint8_t> bytes) {
    return Crc8(bytes.data(), bytes.size());
}

}  // namespace tulvo
