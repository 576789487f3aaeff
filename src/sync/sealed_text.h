#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/crc8.h"

namespace tulvo {

// A text block of the gateway: up to maxLength characters padded with 0x00,
// the checksum in the last byte.
template <std::size_t kSize>
std::array<std::uint8_t, kSize> SealedText(std::string_view text, std::size_t maxLength) {
    static_assert(kSize > 1);
    std::array<std::uint8_t, kSize> block{};
    const std::size_t n = std::min({text.size(), maxLength, kSize - 1});
    std::copy_n(text.begin(), n, block.begin());
    block[kSize - 1] = Crc8(block.data(), kSize - 1);
    return block;
}

}  // namespace tulvo
