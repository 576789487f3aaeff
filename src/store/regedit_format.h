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
// and in the syntax of version 5 ("Windows Registry Editor Version 5.00"),
// whose texts are Unicode: regedit writes it as UTF-16LE with a byte-order
// mark. In a tree read from a version 5 file, texts, key paths and names are
// UTF-8 (a lone surrogate as its three-byte form, so nothing is lost), and
// hex(1): values are decoded from their UTF-16 bytes like quoted texts.
//
// Reading never fails: lines that cannot be understood are skipped, and reading
// stops at the limits, keeping what was parsed so far. The stats tell whether
// what was read is the whole file.
struct RegeditLimits {
    // Large enough for an export of a whole user hive.
    std::uint64_t maxFileBytes = 512u << 20;
    std::size_t maxLineBytes = 64u << 20;  // a logical line, continuations included
    std::size_t maxValues = 16u << 20;
    std::size_t maxKeys = 4u << 20;
};

struct RegeditFormat {
    bool version5 = false;  // "Windows Registry Editor Version 5.00", Unicode texts
    bool utf16 = false;     // UTF-16LE with a byte-order mark
    bool utf8Mark = false;  // 8-bit text behind a UTF-8 byte-order mark

    bool operator==(const RegeditFormat&) const = default;
};

struct RegeditReadStats {
    std::size_t skippedLines = 0;
    std::size_t overlongLines = 0;  // skipped for being longer than the limit
    bool truncated = false;         // stopped at a limit with input left
    bool blank = true;              // no line but blank ones
    bool header = false;            // the first line that is not blank is a header
    bool brokenEncoding = false;    // UTF-16 that ends in half a character
    RegeditFormat format;

    // All of the input was read as a registry file; what failed to parse is
    // single damaged lines.
    bool Whole() const { return header && overlongLines == 0 && !truncated && !brokenEncoding; }
};

RegistryTree ReadRegedit(ByteSource& source, const RegeditLimits& limits = {},
                         RegeditReadStats* stats = nullptr);
RegistryTree ReadRegeditText(std::string_view text, const RegeditLimits& limits = {},
                             RegeditReadStats* stats = nullptr);

// Writes every key, value and comment of tree with CR LF line ends, in
// format. Binary values are wrapped with '\' continuations as regedit does;
// texts holding a line break or a zero byte are written as hex(1): so that they
// read back unchanged.
std::string WriteRegedit(const RegistryTree& tree, const RegeditFormat& format = {});

}  // namespace tulvo
