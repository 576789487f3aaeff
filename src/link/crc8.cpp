#include "link/crc8.h"

namespace tulvo {

std::uint8_t Crc8(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            value = (value & 0x80) ? static_cast<std::uint8_t>((value << 1) ^ 0x8C)
                                   : static_cast<std::uint8_t>(value << 1);
        }
    }
    return value;
}

}  // namespace tulvo
