#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace tulvo::test {

// "0A 05 00" -> {0x0A, 0x05, 0x00}
inline std::vector<std::uint8_t> Hex(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::istringstream in(text);
    std::string token;
    while (in >> token) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    }
    return out;
}

inline std::vector<std::uint8_t> Repeat(std::uint8_t byte, std::size_t count) {
    return std::vector<std::uint8_t>(count, byte);
}

inline std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> a,
                                        const std::vector<std::uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace tulvo::test
