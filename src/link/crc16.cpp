#include "link/crc16.h"

#include <array>

namespace tulvo {
namespace {

constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < table.size(); ++n) {
        unsigned value = n;
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 1U) ? (value >> 1) ^ 0xA001U : value >> 1;
        }
        table[n] = static_cast<std::uint16_t>(value);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kTable = MakeTable();

}  // namespace

std::uint16_t Crc16Arc(std::span<const std::uint8_t> bytes) {
    std::uint16_t value = 0;
    for (const std::uint8_t byte : bytes) {
        value = static_cast<std::uint16_t>(kTable[(value ^ byte) & 0xFF] ^ (value >> 8));
    }
    return value;
}

}  // namespace tulvo
