#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace tulvo {

// Little-endian, unaligned reads and writes of fixed-width numbers inside a
// byte run. Every access checks that offset + width fits the run and throws
// std::out_of_range otherwise, so a layout mistake can never read or write
// past a record.
namespace byte_io {

inline void CheckRange(std::size_t size, std::size_t offset, std::size_t width) {
    if (offset > size || width > size - offset) {
        throw std::out_of_range("byte_io: access past the end of the record");
    }
}

inline std::uint8_t ReadU8(std::span<const std::uint8_t> bytes, std::size_t offset) {
    CheckRange(bytes.size(), offset, 1);
    return bytes[offset];
}

inline std::uint16_t ReadU16le(std::span<const std::uint8_t> bytes, std::size_t offset) {
    CheckRange(bytes.size(), offset, 2);
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::uint32_t ReadU32le(std::span<const std::uint8_t> bytes, std::size_t offset) {
    CheckRange(bytes.size(), offset, 4);
    return static_cast<std::uint32_t>(bytes[offset]) |
           (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

inline std::int16_t ReadI16le(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int16_t>(ReadU16le(bytes, offset));
}

inline std::int32_t ReadI32le(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int32_t>(ReadU32le(bytes, offset));
}

inline void WriteU8(std::span<std::uint8_t> bytes, std::size_t offset, std::uint8_t value) {
    CheckRange(bytes.size(), offset, 1);
    bytes[offset] = value;
}

inline void WriteU16le(std::span<std::uint8_t> bytes, std::size_t offset, std::uint16_t value) {
    CheckRange(bytes.size(), offset, 2);
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

inline void WriteU32le(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value) {
    CheckRange(bytes.size(), offset, 4);
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
    }
}

inline void WriteI16le(std::span<std::uint8_t> bytes, std::size_t offset, std::int16_t value) {
    WriteU16le(bytes, offset, static_cast<std::uint16_t>(value));
}

inline void WriteI32le(std::span<std::uint8_t> bytes, std::size_t offset, std::int32_t value) {
    WriteU32le(bytes, offset, static_cast<std::uint32_t>(value));
}

}  // namespace byte_io

// Short names for callers that use them often.
using byte_io::ReadI16le;
using byte_io::ReadI32le;
using byte_io::ReadU16le;
using byte_io::ReadU32le;
using byte_io::ReadU8;
using byte_io::WriteI16le;
using byte_io::WriteI32le;
using byte_io::WriteU16le;
using byte_io::WriteU32le;
using byte_io::WriteU8;

}  // namespace tulvo
