#include "link/crc8.h"

#include <array>

namespace tulvo {
namespace {

// The eight shifts that follow each byte depend only on the value reached,
// so they are done once for every value.
constexpr std::array<std::uint8_t, 256> kShifted = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        auto value = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 0x80) ? static_cast<std::uint8_t>((value << 1) ^ 0x8C)
                                   : static_cast<std::uint8_t>(value << 1);
        }
        table[i] = value;
    }
    return table;
}();

}  // namespace

std::uint8_t Crc8(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = kShifted[value ^ bytes[i]];
    }
    return value;
}

}  // namespace tulvo
