#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/byte_source.h"
#include "store/registry_tree.h"

namespace tulvo {

// Registry export files in REGEDIT4 syntax, 8-bit text:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\SOFTWARE\ZARQ\MTulvo\Setting]
//   "PortName"="ttyACM0"
//   "USB_COM"=dword:00000001
//   "SettingFXO"=hex:00,00,...
//
// Reading never fails: lines that cannot be understood are skipped, and reading
// stops at the limits, keeping what was parsed so far.
struct RegeditLimits {
    std::uint64_t maxFileBytes = 16u << 20;
    std::size_t maxLineBytes = 64u << 10;  // a logical line, continuations included
    std::size_t maxValues = 1u << 16;
    std::size_t maxKeys = 1u << 12;
};

struct RegeditReadStats {
    std::size_t skippedLines = 0;
    bool truncated = false;  // stopped at a limit with input left
};

RegistryTree ReadRegedit(ByteSource& source, const RegeditLimits& limits = {},
                         RegeditReadStats* stats = nullptr);
RegistryTree ReadRegeditText(std::string_view text, const RegeditLimits& limits = {},
                             RegeditReadStats* stats = nullptr);

// Writes every key and value of tree with CR LF line ends. Binary values are
// wrapped with '\' continuations as regedit does; texts holding a line break or a
// zero byte are written as hex(1): so that they read back unchanged.
std::string WriteRegedit(const RegistryTree& tree);

}  // namespace tulvo
