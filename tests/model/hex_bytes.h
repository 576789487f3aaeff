#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tulvo::test {

// "8E FF 00" -> {0x8E, 0xFF, 0x00}; spaces are ignored.
inline std::vector<std::uint8_t> HexBytes(std::string_view hex) {
    std::vector<std::uint8_t> out;
    int high = -1;
    for (const char c : hex) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        }
        if (digit < 0) {
            continue;
        }
        if (high < 0) {
            high = digit;
        } else {
            out.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    return out;
}

template <typename Byte, std::size_t N>
std::vector<std::uint8_t> ToVector(std::span<Byte, N> bytes) {
    return {bytes.begin(), bytes.end()};
}

}  // namespace tulvo::test
