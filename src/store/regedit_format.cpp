#include "store/regedit_format.h"

#include "store/utf16_text.h"

#include <cstdio>
#include <optional>

namespace tulvo {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::size_t kWrapColumn = 78;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
    s = Trim(s);
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() &&
           RegistryTree::Fold(s.substr(0, prefix.size())) == RegistryTree::Fold(prefix);
}

// A quoted text at the start of s with \\ and \" escapes; s is advanced past it.
std::optional<std::string> ParseQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"') {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return text;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            text += s[++i];
        } else {
            text += c;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ParseByteList(std::string_view s) {
    std::string bytes;
    s = Trim(s);
    while (!s.empty()) {
        const auto comma = s.find(',');
        const std::string_view item = Trim(s.substr(0, comma));
        const bool last = comma == std::string_view::npos;
        if (item.empty() && last) {
            break;  // a trailing comma
        }
        const auto value = ParseHexNumber(item, 2);
        if (!value) {
            return std::nullopt;
        }
        bytes += static_cast<char>(*value);
        if (last) {
            break;
        }
        s.remove_prefix(comma + 1);
    }
    return bytes;
}

std::optional<RegistryValue> TypedHexValue(std::uint32_t type, std::string bytes, bool unicode) {
    if (type != RegistryValue::kString) {
        return RegistryValue{type, std::move(bytes)};
    }
    // A text in hex(1): form carries its terminator; in a version 5 file it is
    // UTF-16 like the file.
    if (unicode) {
        if (bytes.size() % 2 != 0) {
            return std::nullopt;
        }
        if (bytes.size() >= 2 && bytes.ends_with(std::string_view("\0\0", 2))) {
            bytes.resize(bytes.size() - 2);
        }
        return RegistryValue::String(Utf16ToUtf8(bytes));
    }
    if (!bytes.empty() && bytes.back() == '\0') {
        bytes.pop_back();
    }
    return RegistryValue::String(std::move(bytes));
}

std::optional<RegistryValue> ParseData(std::string_view s, bool unicode) {
    s = Trim(s);
    if (!s.empty() && s.front() == '"') {
        auto text = ParseQuoted(s);
        if (!text || !Trim(s).empty()) {
            return std::nullopt;
        }
        return RegistryValue::String(std::move(*text));
    }
    if (StartsWithNoCase(s, "dword:")) {
        const auto value = ParseHexNumber(s.substr(6), 8);
        return value ? std::optional(RegistryValue::Dword(*value)) : std::nullopt;
    }
    if (StartsWithNoCase(s, "hex:")) {
        auto bytes = ParseByteList(s.substr(4));
        return bytes ? std::optional(RegistryValue::Binary(std::move(*bytes))) : std::nullopt;
    }
    if (StartsWithNoCase(s, "hex(")) {
        const auto close = s.find("):");
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto type = ParseHexNumber(s.substr(4, close - 4), 8);
        auto bytes = ParseByteList(s.substr(close + 2));
        if (!type || !bytes) {
            return std::nullopt;
        }
        return TypedHexValue(*type, std::move(*bytes), unicode);
    }
    return std::nullopt;
}

class Parser {
  public:
    Parser(RegistryTree& tree, const RegeditLimits& limits, RegeditReadStats& stats)
        : tree_(tree), limits_(limits), stats_(stats) {}

    void Line(std::string_view line) {
        line = Trim(line);
        if (line.empty()) {
            return;
        }
        if (first_) {
            first_ = false;
            stats_.blank = false;
            stats_.header = line == kHeader || line == kHeader5;
            stats_.format.version5 = line == kHeader5;
        }
        if (line == kHeader || line == kHeader5) {
            return;
        }
        if (line.front() == ';') {
            tree_.AddComment(key_, std::string(line));
            return;
        }
        if (line.front() == '[') {
            KeyLine(line);
        } else if (!ValueLine(line)) {
            ++stats_.skippedLines;
        }
    }

    bool Full() const { return keysFull_ || tree_.ValueCount() >= limits_.maxValues; }

  private:
    void KeyLine(std::string_view line) {
        const auto close = line.rfind(']');
        const std::string_view path =
            close == std::string_view::npos ? std::string_view{} : Trim(line.substr(1, close - 1));
        // "[-key]" deletes a key on import; it names no key whose values follow.
        if (path.empty() || path.front() == '-') {
            inKey_ = false;
            ++stats_.skippedLines;
            return;
        }
        if (tree_.FindKey(path) == nullptr && tree_.Keys().size() >= limits_.maxKeys) {
            keysFull_ = true;
            return;
        }
        key_ = std::string(path);
        inKey_ = true;
        tree_.AddKey(key_);
    }

    bool ValueLine(std::string_view line) {
        std::string name;
        if (line.front() == '@') {
            line.remove_prefix(1);
        } else {
            auto quoted = ParseQuoted(line);
            if (!quoted) {
                return false;
            }
            name = std::move(*quoted);
        }
        line = TrimLeft(line);
        if (line.empty() || line.front() != '=') {
            return false;
        }
        auto value = ParseData(line.substr(1), stats_.format.version5);
        if (!inKey_ || !value) {
            return false;
        }
        tree_.Set(key_, name, std::move(*value));
        return true;
    }

    RegistryTree& tree_;
    const RegeditLimits& limits_;
    RegeditReadStats& stats_;
    std::string key_;
    bool inKey_ = false;
    bool keysFull_ = false;
    bool first_ = true;
};

struct PhysicalLine {
    bool got = false;
    bool overflow = false;
    char last = 0;  // the last character that is not blank, kept or not
};

// Appends one physical line, without its LF, to line while line is shorter
// than room; the rest of a longer line is consumed and dropped.
template <typename Source>
PhysicalLine ReadPhysicalLine(Source& source, std::string& line, std::size_t room) {
    PhysicalLine result;
    char c;
    while (source.Get(c)) {
        result.got = true;
        if (c == '\n') {
            break;
        }
        if (!IsBlank(c)) {
            result.last = c;
        }
        if (line.size() < room) {
            line += c;
        } else {
            result.overflow = true;
        }
    }
    return result;
}

// Reads a line and joins the lines that continue it (a value line ending in '\').
// overflow tells that the joined line would exceed the limit; its text is then
// incomplete and the caller skips it.
template <typename Source>
bool ReadLogicalLine(Source& source, const RegeditLimits& limits, std::string& line,
                     bool& overflow) {
    line.clear();
    const PhysicalLine first = ReadPhysicalLine(source, line, limits.maxLineBytes);
    if (!first.got) {
        return false;
    }
    overflow = first.overflow;
    const std::string_view start = TrimLeft(line);
    bool continued =
        first.last == '\\' && !(start.size() > 0 && (start.front() == '[' || start.front() == ';'));
    std::string next;
    while (continued) {
        if (!overflow) {
            line.resize(TrimRight(line).size() - 1);
        }
        next.clear();
        const PhysicalLine more = ReadPhysicalLine(source, next, limits.maxLineBytes);
        if (!more.got) {
            break;
        }
        const std::string_view rest = TrimLeft(next);
        overflow = overflow || more.overflow || line.size() + rest.size() > limits.maxLineBytes;
        if (!overflow) {
            line += rest;
        }
        continued = more.last == '\\';
    }
    return true;
}

std::string Hex2(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[byte >> 4], kDigits[byte & 0x0F]};
}

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

void AppendByteList(std::string& out, std::size_t column, std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0 && column + 3 > kWrapColumn) {
            out += "\\\r\n  ";
            column = 2;
        }
        out += Hex2(static_cast<unsigned char>(bytes[i]));
        column += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            ++column;
        }
    }
}

void AppendValue(std::string& out, const std::string& name, const RegistryValue& value,
                 bool unicode) {
    const std::size_t lineStart = out.size();
    out += name.empty() ? std::string("@") : Quote(name);
    out += '=';
    const bool plainText =
        value.type == RegistryValue::kString &&
        value.data.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    if (plainText) {
        out += Quote(value.data);
    } else if (value.type == RegistryValue::kDword && value.data.size() == 4) {
        out += "dword:";
        for (int i = 3; i >= 0; --i) {
            out += Hex2(static_cast<unsigned char>(value.data[i]));
        }
    } else {
        std::string bytes = value.data;
        if (value.type == RegistryValue::kString) {
            bytes = unicode ? Utf8ToUtf16(bytes) + std::string(2, '\0') : bytes + '\0';
        }
        if (value.type == RegistryValue::kBinary) {
            out += "hex:";
        } else {
            char type[16];
            std::snprintf(type, sizeof type, "hex(%x):", value.type);
            out += type;
        }
        AppendByteList(out, out.size() - lineStart, bytes);
    }
    out += "\r\n";
}

template <typename Source>
void ReadLines(Source& source, Parser& parser, const RegeditLimits& limits,
               RegeditReadStats& counts) {
    std::string line;
    bool overflow = false;
    while (!parser.Full() && ReadLogicalLine(source, limits, line, overflow)) {
        if (overflow) {
            ++counts.skippedLines;
            ++counts.overlongLines;
            continue;
        }
        parser.Line(line);
    }
}

}  // namespace

RegistryTree ReadRegedit(ByteSource& source, const RegeditLimits& limits, RegeditReadStats* stats) {
    RegeditReadStats local;
    RegeditReadStats& counts = stats ? *stats : local;
    counts = {};
    const std::string_view start = source.Chunk();
    if (start.starts_with(kUtf16Mark)) {
        counts.format.utf16 = true;
        source.Consume(kUtf16Mark.size());
    } else if (start.starts_with(kUtf8Mark)) {
        counts.format.utf8Mark = true;
        source.Consume(kUtf8Mark.size());
    }
    RegistryTree tree;
    Parser parser(tree, limits, counts);
    if (counts.format.utf16) {
        Utf16Reader reader(source);
        ReadLines(reader, parser, limits, counts);
        counts.brokenEncoding = reader.Broken();
    } else {
        ReadLines(source, parser, limits, counts);
    }
    counts.truncated = source.HitLimit() || parser.Full();
    return tree;
}

RegistryTree ReadRegeditText(std::string_view text, const RegeditLimits& limits,
                             RegeditReadStats* stats) {
    ByteSource source(text, limits.maxFileBytes);
    return ReadRegedit(source, limits, stats);
}

std::string WriteRegedit(const RegistryTree& tree, const RegeditFormat& format) {
    std::string out = std::string(format.version5 ? kHeader5 : kHeader) + "\r\n\r\n";
    for (const std::string& comment : tree.Preamble()) {
        out += comment + "\r\n";
    }
    for (const auto& key : tree.Keys()) {
        out += '[' + key.path + "]\r\n";
        auto comment = key.comments.begin();
        for (std::size_t i = 0; i <= key.values.size(); ++i) {
            for (; comment != key.comments.end() && (comment->first <= i || i == key.values.size());
                 ++comment) {
                out += comment->second + "\r\n";
            }
            if (i < key.values.size()) {
                AppendValue(out, key.values[i].first, key.values[i].second, format.version5);
            }
        }
        out += "\r\n";
    }
    if (format.utf16) {
        return std::string(kUtf16Mark) + Utf8ToUtf16(out);
    }
    return format.utf8Mark ? std::string(kUtf8Mark) + out : out;
}

}  // namespace tulvo
