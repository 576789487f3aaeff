#pragma once

#include <cstdint>
#include <string>

namespace tulvo {

// One stored value: its registry type and its bytes. Texts are kept without
// their terminator; a 32-bit integer as its 4 little-endian bytes.
struct RegistryValue {
    enum Type : std::uint32_t {
        kString = 1,  // REG_SZ
        kBinary = 3,  // REG_BINARY
        kDword = 4,   // REG_DWORD
    };

    std::uint32_t type = kBinary;
    std::string data;

    bool operator==(const RegistryValue&) const = default;

    static RegistryValue String(std::string text) { return {kString, std::move(text)}; }
    static RegistryValue Binary(std::string bytes) { return {kBinary, std::move(bytes)}; }
    static RegistryValue Dword(std::uint32_t value) {
        std::string bytes(4, '\0');
        for (int i = 0; i < 4; ++i) {
            bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return {kDword, std::move(bytes)};
    }
};

}  // namespace tulvo
