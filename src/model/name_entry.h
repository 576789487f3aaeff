#pragma once

#include <cstdint>
#include <string>

namespace tulvo {

// A subscriber's name, kept only on the PC, with the ID the subscriber had
// when the name was stored (-1 when nothing is known). AbFNS holds
// Windows-1251 bytes.
struct NameEntry {
    std::int32_t AbIdCod = 0;
    std::string AbFNS;
};

}  // namespace tulvo
