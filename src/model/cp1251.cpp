#include "model/cp1251.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace tulvo {

namespace {

// Code points of the bytes 0x80..0xFF.
constexpr std::array<char32_t, 128> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

struct Utf8Char {
    std::array<char, 3> bytes;
    std::uint8_t size;
};

constexpr Utf8Char EncodeUtf8(char32_t cp) {
    if (cp < 0x80) {
        return {{static_cast<char>(cp), 0, 0}, 1};
    }
    if (cp < 0x800) {
        return {{static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}, 2};
    }
    return {{static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
             static_cast<char>(0x80 | (cp & 0x3F))},
            3};
}

constexpr std::array<Utf8Char, 256> MakeEncodeTable() {
    std::array<Utf8Char, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        table[b] = EncodeUtf8(b < 0x80 ? char32_t(b) : kUpperHalf[b - 0x80]);
    }
    return table;
}

constexpr std::array<Utf8Char, 256> kToUtf8 = MakeEncodeTable();

// (code point, byte) of the upper half, sorted by code point.
constexpr std::array<std::pair<char32_t, std::uint8_t>, 128> MakeDecodeTable() {
    std::array<std::pair<char32_t, std::uint8_t>, 128> table{};
    for (unsigned i = 0; i < 128; ++i) {
        table[i] = {kUpperHalf[i], static_cast<std::uint8_t>(0x80 + i)};
    }
    std::sort(table.begin(), table.end());
    return table;
}

constexpr auto kFromUnicode = MakeDecodeTable();

char ToCp1251(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<char>(cp);
    }
    // The Russian alphabet without Ё/ё is one run: А (U+0410) .. я (U+044F) at 0xC0.
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<char>(0xC0 + (cp - 0x0410));
    }
    const auto it = std::lower_bound(kFromUnicode.begin(), kFromUnicode.end(),
                                     std::pair<char32_t, std::uint8_t>{cp, 0});
    if (it == kFromUnicode.end() || it->first != cp) {
        return '?';
    }
    return static_cast<char>(it->second);
}

// Decodes one UTF-8 sequence at text[i]; returns its code point and advances
// i. A malformed sequence yields U+FFFD and consumes one byte.
char32_t DecodeOne(std::string_view text, std::size_t& i) {
    constexpr char32_t kBad = 0xFFFD;
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kBad;
    }
    if (i + static_cast<std::size_t>(extra) >= text.size()) {
        ++i;
        return kBad;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return kBad;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kBad;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

}  // namespace

std::string Cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const Utf8Char& u = kToUtf8[static_cast<unsigned char>(c)];
        out.append(u.bytes.data(), u.size);
    }
    return out;
}

std::string Utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        out.push_back(ToCp1251(DecodeOne(text, i)));
    }
    return out;
}

}  // namespace tulvo
