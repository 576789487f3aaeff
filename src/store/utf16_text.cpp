#include "store/utf16_text.h"

namespace tulvo {

namespace {

bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
// The lone surrogates that stand for bytes that are not UTF-8.
bool IsEscapedByte(std::uint32_t unit) {
    return unit >= 0xDC80 && unit <= 0xDCFF;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (IsEscapedByte(cp)) {
        out += static_cast<char>(cp - 0xDC00);
    } else if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The code point of the UTF-8 sequence at s[i] and its length; 0 when the
// bytes there are no sequence this encoding would write back the same.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char b0 = byte(0);
    std::size_t length = 0;
    unsigned lowest = 0;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, lowest = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, lowest = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(k) & 0x3F);
    }
    if (cp < lowest || cp > 0x10FFFF || IsEscapedByte(cp)) {
        return 0;
    }
    // A high surrogate right before a low one would come back as one
    // four-byte character: such bytes are escaped instead.
    if (IsHighSurrogate(cp)) {
        std::uint32_t next = 0;
        if (i + 3 < s.size() && DecodeUtf8(s, i + 3, next) == 3 && IsLowSurrogate(next)) {
            return 0;
        }
    }
    return length;
}

void AppendUnit(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

}  // namespace

bool Utf16Reader::Unit(std::uint32_t& unit) {
    if (hasUnit_) {
        hasUnit_ = false;
        unit = unit_;
        return true;
    }
    char low;
    char high;
    if (!source_.Get(low)) {
        return false;
    }
    if (!source_.Get(high)) {
        broken_ = true;
        return false;
    }
    unit = static_cast<unsigned char>(low) | (static_cast<unsigned char>(high) << 8);
    return true;
}

bool Utf16Reader::Decode() {
    std::uint32_t unit = 0;
    if (!Unit(unit)) {
        return false;
    }
    std::uint32_t next = 0;
    if (IsHighSurrogate(unit) && Unit(next)) {
        if (IsLowSurrogate(next)) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
        } else {
            unit_ = next;
            hasUnit_ = true;
        }
    }
    AppendUtf8(pending_, unit);
    return true;
}

std::string Utf16ToUtf8(std::string_view utf16le) {
    std::string out;
    out.reserve(utf16le.size());
    ByteSource source(utf16le, ByteSource::kNoLimit);
    Utf16Reader reader(source);
    for (char c; reader.Get(c);) {
        out += c;
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        std::uint32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, i, cp);
        if (length == 0) {
            AppendUnit(out, 0xDC00 + static_cast<unsigned char>(utf8[i]));
            ++i;
            continue;
        }
        i += length;
        if (cp >= 0x10000) {
            AppendUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            AppendUnit(out, cp);
        }
    }
    return out;
}

}  // namespace tulvo
