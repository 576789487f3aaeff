#include "calllog/call_log_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

#include "model/cp1251.h"

namespace tulvo::call_log_file {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kFileVersion = "@@FILE VERSION@@";
constexpr std::string_view kTableDefStart = "@@TABLEDEF START@@";
constexpr std::string_view kTableDefEnd = "@@TABLEDEF END@@";
constexpr std::string_view kIndexDefStart = "@@INDEXDEF START@@";
constexpr std::string_view kIndexDefEnd = "@@INDEXDEF END@@";

void AppendQuoted(std::string& out, std::string_view item) {
    out += ' ';
    for (const char c : item) {
        out += c;
        if (c == ' ') {
            out += ' ';
        }
    }
    out += ' ';
}

// Bytes that a text value cannot hold as they are inside a quoted item.
constexpr std::array<bool, 256> SpecialBytes() {
    std::array<bool, 256> special{};
    for (const unsigned char c : {' ', '%', '\r', '\n', '\0'}) {
        special[c] = true;
    }
    return special;
}
constexpr std::array<bool, 256> kSpecial = SpecialBytes();

// Row values are written through a pointer into room made beforehand: no
// value can outgrow kMaxRowBytes (every text doubled, every number at its
// widest), and a million rows then cost no per-byte bounds checks.
constexpr std::size_t kMaxRowBytes = 640;

char* PutNumber(char* p, int value, int minDigits = 1) {
    if (minDigits == 2 && value >= 0 && value < 100) {
        *p++ = static_cast<char>('0' + value / 10);
        *p++ = static_cast<char>('0' + value % 10);
        return p;
    }
    std::array<char, 16> digits{};
    const auto [end, ec] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    (void)ec;
    for (auto length = static_cast<int>(end - digits.data()); length < minDigits; ++length) {
        *p++ = '0';
    }
    const auto length = static_cast<std::size_t>(end - digits.data());
    std::memcpy(p, digits.data(), length);
    return p + length;
}

char* PutEscaped(char* p, std::string_view text) {
    for (const char c : text) {
        if (!kSpecial[static_cast<unsigned char>(c)]) {
            *p++ = c;
            continue;
        }
        switch (c) {
            case ' ':
                *p++ = ' ';
                *p++ = ' ';
                break;
            case '%':
                *p++ = '%';
                *p++ = '%';
                break;
            case '\r':
                *p++ = '%';
                *p++ = 'c';
                break;
            case '\n':
                *p++ = '%';
                *p++ = 'n';
                break;
            default:
                *p++ = '%';
                *p++ = '0';
        }
    }
    return p;
}

char* PutValue(char* p, const CallLogRow& row, CallLogField field) {
    if (row.IsNull(field)) {
        return p;
    }
    *p++ = ' ';
    switch (FieldInfo(field).type) {
        case CallLogFieldType::AutoInc:
        case CallLogFieldType::Integer:
            p = PutNumber(p, *row.Int(field));
            break;
        case CallLogFieldType::String:
            p = PutEscaped(p, *row.Text(field));
            break;
        case CallLogFieldType::Date: {
            const CallDate date = *row.Date();
            p = PutNumber(p, date.day, 2);
            *p++ = '/';
            p = PutNumber(p, date.month, 2);
            *p++ = '/';
            p = PutNumber(p, date.year, 4);
            break;
        }
        case CallLogFieldType::Time: {
            const CallTime time = *row.TimeOf(field);
            p = PutNumber(p, time.Hours());
            *p++ = ':';
            p = PutNumber(p, time.Minutes(), 2);
            *p++ = ':';
            p = PutNumber(p, time.Seconds(), 2);
            break;
        }
    }
    *p++ = ' ';
    return p;
}

const char* TypeName(CallLogFieldType type) {
    switch (type) {
        case CallLogFieldType::AutoInc:
            return "AutoInc";
        case CallLogFieldType::Integer:
            return "Integer";
        case CallLogFieldType::String:
            return "String";
        case CallLogFieldType::Date:
            return "Date";
        case CallLogFieldType::Time:
            return "Time";
    }
    return "";
}

std::optional<CallLogFieldType> TypeByName(std::string_view name) {
    for (auto type : {CallLogFieldType::AutoInc, CallLogFieldType::Integer,
                      CallLogFieldType::String, CallLogFieldType::Date, CallLogFieldType::Time}) {
        if (name == TypeName(type)) {
            return type;
        }
    }
    return std::nullopt;
}

void AppendDefinitions(std::string& out) {
    AppendQuoted(out, kFileVersion);
    out += '\t';
    AppendQuoted(out, "251");
    out += kCrLf;
    AppendQuoted(out, kTableDefStart);
    out += kCrLf;
    for (std::size_t i = 0; i < kCallLogFieldCount; ++i) {
        const CallLogFieldInfo& info = FieldInfo(static_cast<CallLogField>(i));
        const int width = info.type == CallLogFieldType::String ? info.size : 10;
        std::string definition = std::string(info.name) + "=" + TypeName(info.type) + "," +
                                 std::to_string(info.size) + ",\"" + info.name + "\",\"\"," +
                                 std::to_string(width) + ",Data,\"\"";
        AppendQuoted(out, definition);
        out += kCrLf;
    }
    AppendQuoted(out, kIndexDefStart);
    out += kCrLf;
    AppendQuoted(out, kIndexDefEnd);
    out += kCrLf;
    AppendQuoted(out, kTableDefEnd);
    out += kCrLf;
    for (std::size_t i = 0; i < kCallLogFieldCount; ++i) {
        AppendQuoted(out, FieldInfo(static_cast<CallLogField>(i)).name);
        out += '\t';
    }
    out += kCrLf;
}

char* PutRows(char* p, std::span<const CallLogRow> rows) {
    for (const CallLogRow& row : rows) {
        for (std::size_t i = 0; i < kCallLogFieldCount; ++i) {
            p = PutValue(p, row, static_cast<CallLogField>(i));
            *p++ = '\t';
        }
        *p++ = '\r';
        *p++ = '\n';
    }
    return p;
}

// ---- reading ----

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// The next line of the file, past any run of CR, LF and zero bytes.
bool NextLine(std::string_view bytes, std::size_t& pos, std::string_view& line) {
    while (pos < bytes.size() && IsLineBreak(bytes[pos])) {
        ++pos;
    }
    if (pos >= bytes.size()) {
        return false;
    }
    const std::size_t start = pos;
    while (pos < bytes.size() && !IsLineBreak(bytes[pos])) {
        ++pos;
    }
    line = bytes.substr(start, pos - start);
    return true;
}

// Reads the items of one line in order. A quoted item is returned with its
// doubled spaces folded; a null one as nothing.
class ItemReader {
  public:
    explicit ItemReader(std::string_view line) : line_(line) {}

    bool AtEnd() const { return pos_ >= line_.size(); }

    // The next item; `scratch` holds it when it had to be unfolded.
    std::optional<std::string_view> Next(std::string& scratch) {
        if (line_[pos_] == '\t') {
            ++pos_;
            return std::nullopt;
        }
        std::optional<std::string_view> item;
        if (line_[pos_] == ' ') {
            item = Quoted(scratch);
        } else {
            const std::size_t start = pos_;
            while (pos_ < line_.size() && line_[pos_] != '\t') {
                ++pos_;
            }
            item = line_.substr(start, pos_ - start);
        }
        if (pos_ < line_.size() && line_[pos_] == '\t') {
            ++pos_;
        }
        return item;
    }

  private:
    std::string_view Quoted(std::string& scratch) {
        const std::size_t start = ++pos_;
        bool folded = false;
        for (;;) {
            const std::size_t space = line_.find(' ', pos_);
            if (space == std::string_view::npos) {
                if (folded) {
                    scratch.append(line_.substr(pos_));
                }
                pos_ = line_.size();
                break;
            }
            if (space + 1 < line_.size() && line_[space + 1] == ' ') {
                // Two spaces stand for one.
                if (!folded) {
                    scratch.assign(line_.substr(start, space - start));
                    folded = true;
                } else {
                    scratch.append(line_.substr(pos_, space - pos_));
                }
                scratch += ' ';
                pos_ = space + 2;
                continue;
            }
            if (folded) {
                scratch.append(line_.substr(pos_, space - pos_));
            }
            pos_ = space;
            break;
        }
        const std::string_view plain = line_.substr(start, pos_ - start);
        if (pos_ < line_.size()) {
            ++pos_;  // the closing space
        }
        return folded ? std::string_view(scratch) : plain;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
};

std::string FirstItem(std::string_view line) {
    std::string scratch;
    if (line.empty()) {
        return {};
    }
    ItemReader reader(line);
    const auto item = reader.Next(scratch);
    return item ? std::string(*item) : std::string();
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty()) {
        return false;
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "a<sep>b<sep>c" with 1 to maxDigits digits each.
bool ParseTriple(std::string_view text, char sep, std::array<int, 3>& parts,
                 std::array<int, 3> maxDigits) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find(sep, pos) : text.size();
        if (end == std::string_view::npos) {
            return false;
        }
        const std::string_view part = text.substr(pos, end - pos);
        if (part.empty() || part.size() > static_cast<std::size_t>(maxDigits[i]) ||
            part.front() == '-' || !ParseNumber(part, parts[i])) {
            return false;
        }
        pos = end + 1;
    }
    return true;
}

bool SetValue(CallLogRow& row, CallLogField field, std::string_view item) {
    switch (FieldInfo(field).type) {
        case CallLogFieldType::AutoInc:
        case CallLogFieldType::Integer: {
            std::int32_t value = 0;
            if (!ParseNumber(item, value)) {
                return false;
            }
            row.SetInt(field, value);
            return true;
        }
        case CallLogFieldType::String: {
            if (item.find('%') == std::string_view::npos) {
                row.SetText(field, item);  // cut to the field's size there
            } else {
                row.SetText(field, UnescapeText(item));
            }
            return true;
        }
        case CallLogFieldType::Date: {
            std::array<int, 3> p{};
            if (!ParseTriple(item, '/', p, {2, 2, 4}) || p[1] < 1 || p[1] > 12 || p[0] < 1 ||
                p[0] > DaysInMonth(p[2], p[1])) {
                return false;
            }
            row.SetDate({p[2], p[1], p[0]});
            return true;
        }
        case CallLogFieldType::Time: {
            std::array<int, 3> p{};
            if (!ParseTriple(item, ':', p, {2, 2, 2}) || p[0] > 23 || p[1] > 59 || p[2] > 59) {
                return false;
            }
            row.SetTime(field, CallTime::Of(p[0], p[1], p[2]));
            return true;
        }
    }
    return false;
}

// Checks one field definition "name=Type,..."; only its type matters here,
// since the table's own 16 fields are fixed.
bool CheckDefinition(std::string_view definition, std::string& error) {
    const std::size_t equals = definition.find('=');
    const std::size_t comma = definition.find(',', equals == std::string_view::npos ? 0 : equals);
    if (equals == std::string_view::npos || comma == std::string_view::npos) {
        error =
            "Недопустимое описание поля (" + Cp1251ToUtf8(definition) + ") в файле базы звонков.";
        return false;
    }
    const std::string_view type = definition.substr(equals + 1, comma - equals - 1);
    if (!TypeByName(type)) {
        error = "Неизвестный тип поля (" + Cp1251ToUtf8(type) + ") в файле базы звонков (" +
                Cp1251ToUtf8(definition) + ").";
        return false;
    }
    return true;
}

}  // namespace

std::string UnescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            switch (text[i + 1]) {
                case '%':
                    out += '%';
                    ++i;
                    continue;
                case 'c':
                    out += '\r';
                    ++i;
                    continue;
                case 'n':
                    out += '\n';
                    ++i;
                    continue;
                case '0':
                    out += '\0';
                    ++i;
                    continue;
                default:
                    break;
            }
        }
        out += text[i];
    }
    return out;
}

FormattedFile FormatFile(std::span<const CallLogRow> rows, std::span<const CallLogRow> more) {
    std::string definitions;
    AppendDefinitions(definitions);
    // Room for the widest rows, left uninitialised: only the pages written
    // to are ever backed by memory.
    FormattedFile file;
    const std::size_t room = definitions.size() + (rows.size() + more.size()) * kMaxRowBytes;
    file.bytes.reset(new char[room]);
    char* p = std::copy(definitions.begin(), definitions.end(), file.bytes.get());
    p = PutRows(p, rows);
    p = PutRows(p, more);
    file.size = static_cast<std::size_t>(p - file.bytes.get());
    return file;
}

std::string FormatRows(std::span<const CallLogRow> rows) {
    std::string out(rows.size() * kMaxRowBytes, '\0');
    char* end = PutRows(out.data(), rows);
    out.resize(static_cast<std::size_t>(end - out.data()));
    return out;
}

std::string Format(std::span<const CallLogRow> rows, std::span<const CallLogRow> more) {
    const FormattedFile file = FormatFile(rows, more);
    return std::string(file.View());
}

bool Parse(std::string_view bytes, CallLogTable& table, std::string& error) {
    table.Reset();
    std::size_t pos = 0;
    std::string_view line;
    std::string scratch;
    // The definition section: the version line, then definitions up to its end.
    bool inDefinitions = false;
    bool inIndexes = false;
    bool defined = false;
    while (!defined && NextLine(bytes, pos, line)) {
        const std::string item = FirstItem(line);
        if (item == kFileVersion) {
            continue;
        }
        if (item == kTableDefStart) {
            inDefinitions = true;
        } else if (item == kTableDefEnd) {
            defined = true;
        } else if (item == kIndexDefStart) {
            inIndexes = true;
        } else if (item == kIndexDefEnd) {
            inIndexes = false;
        } else if (inDefinitions && !inIndexes) {
            if (!CheckDefinition(item, error)) {
                return false;
            }
        } else if (!inIndexes) {
            error = "Это не файл базы звонков: нет описания полей.";
            return false;
        }
    }
    if (!defined) {
        if (pos < bytes.size() || inDefinitions) {
            error = "Описание полей в файле базы звонков не закончено.";
            return false;
        }
        return true;  // an empty file
    }
    // The header: each column's field, or none for a name the table lacks.
    std::vector<std::optional<CallLogField>> columns;
    if (!NextLine(bytes, pos, line)) {
        return true;
    }
    for (ItemReader reader(line); !reader.AtEnd();) {
        const auto name = reader.Next(scratch);
        columns.push_back(name ? FieldByName(*name) : std::nullopt);
    }
    // A header that names nothing of the table but N is no call-log header
    // (lines split by another separator match N alone); loading it would
    // leave every other value empty.
    if (std::none_of(columns.begin(), columns.end(),
                     [](const auto& field) { return field && *field != CallLogField::N; })) {
        error = "Это не файл базы звонков: заголовок не называет полей таблицы.";
        return false;
    }
    std::size_t lineNumber = 0;
    table.Reserve(bytes.size() / 150);
    while (NextLine(bytes, pos, line)) {
        ++lineNumber;
        CallLogRow row;
        std::size_t column = 0;
        for (ItemReader reader(line); !reader.AtEnd(); ++column) {
            const auto item = reader.Next(scratch);
            if (!item || column >= columns.size() || !columns[column]) {
                continue;
            }
            if (!SetValue(row, *columns[column], *item)) {
                error = "Недопустимое значение (" + Cp1251ToUtf8(*item) + ") поля " +
                        FieldInfo(*columns[column]).name + " в строке " +
                        std::to_string(lineNumber) + " файла базы звонков.";
                return false;
            }
        }
        if (column != columns.size()) {
            error = "Строка " + std::to_string(lineNumber) + " файла базы звонков содержит " +
                    std::to_string(column) + " значений вместо " + std::to_string(columns.size()) +
                    ".";
            return false;
        }
        table.AppendNumbered(row);
    }
    return true;
}

}  // namespace tulvo::call_log_file
