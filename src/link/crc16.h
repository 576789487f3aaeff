#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tulvo {

// The checksum inside firmware image files: polynomial 0x8005 processed
// bit-reversed (table of 0xA001), initial value 0, no final XOR, one byte at
// a time. Its value over "123456789" is 0xBB3D.
std::uint16_t Crc16Arc(std::span<const std::uint8_t> bytes);

}  // namespace tulvo
