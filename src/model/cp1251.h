#pragma once

#include <string>
#include <string_view>

namespace tulvo {

// Windows-1251 <-> UTF-8. Every one of the 256 bytes maps to a character
// (0x98, unassigned in the code page, maps to U+0098), so any byte string
// survives a round trip. Characters without a Windows-1251 byte, and
// malformed UTF-8, become '?'.
std::string Cp1251ToUtf8(std::string_view text);
std::string Utf8ToCp1251(std::string_view text);

}  // namespace tulvo
