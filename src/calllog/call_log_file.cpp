#include "calllog/call_log_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <utility>
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

// Where the line starting at `from` ends: at the first CR, LF or zero byte,
// or at `end` when there is none.
const char* LineEnd(const char* from, const char* end) {
    const auto length = static_cast<std::size_t>(end - from);
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', length));
    const char* stop = lf != nullptr ? lf : end;
    const auto before = static_cast<std::size_t>(stop - from);
    if (const auto* cr = static_cast<const char*>(std::memchr(from, '\r', before))) {
        stop = cr;
    }
    const auto* zero =
        static_cast<const char*>(std::memchr(from, '\0', static_cast<std::size_t>(stop - from)));
    return zero != nullptr ? zero : stop;
}

// Reads the items of one line in order. A quoted item is returned with its
// doubled spaces folded; a null one as nothing.
class ItemReader {
  public:
    explicit ItemReader(std::string_view line) : line_(line) {}

    bool AtEnd() const { return pos_ >= line_.size(); }

    // The next item into `item`, false for a null one; `scratch` holds it
    // when it had to be unfolded. (A flag and an out parameter rather than an
    // optional: the optional's flag and value, stored and read back at once,
    // cost a stall on every item of a large file.)
    bool Next(std::string& scratch, std::string_view& item) {
        if (line_[pos_] == '\t') {
            ++pos_;
            return false;
        }
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
        return true;
    }

  private:
    std::string_view Quoted(std::string& scratch) {
        const std::size_t start = ++pos_;
        bool folded = false;
        for (;;) {
            const std::size_t space = SpaceFrom(pos_);
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

    // Items are short: a plain loop finds their end sooner than a library
    // search would.
    std::size_t SpaceFrom(std::size_t pos) const {
        for (; pos < line_.size(); ++pos) {
            if (line_[pos] == ' ') {
                return pos;
            }
        }
        return std::string_view::npos;
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
    std::string_view item;
    return reader.Next(scratch, item) ? std::string(item) : std::string();
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

AtomicWriteResult WriteFile(AtomicFileWriter& writer, std::span<const CallLogRow> rows,
                            std::span<const CallLogRow> more) {
    constexpr std::size_t kPieceBytes = 1 << 20;
    std::string definitions;
    AppendDefinitions(definitions);
    AtomicWriteResult result = writer.Write(definitions);
    const auto piece = std::make_unique<char[]>(kPieceBytes + kMaxRowBytes);
    char* p = piece.get();
    const auto flush = [&] {
        result = writer.Write({piece.get(), static_cast<std::size_t>(p - piece.get())});
        p = piece.get();
    };
    for (const std::span<const CallLogRow> part : {rows, more}) {
        for (std::size_t i = 0; i < part.size() && result; ++i) {
            p = PutRows(p, part.subspan(i, 1));
            if (static_cast<std::size_t>(p - piece.get()) >= kPieceBytes) {
                flush();
            }
        }
    }
    if (result) {
        flush();
    }
    return result;
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

// The lines of a file in order: the definition section, the header, then
// one row per line.
class RowStream::Lines {
  public:
    enum class Result { Taken, Row, Failed };

    // row is a fresh row; a line of the table fills it.
    Result Take(std::string_view line, CallLogRow& row, std::string& error) {
        switch (stage_) {
            case Stage::Definitions:
                return Definition(line, error);
            case Stage::Header:
                return Header(line, error);
            case Stage::Rows:
                break;
        }
        return Row(line, row, error);
    }

    bool Finish(std::string& error) const {
        if (stage_ == Stage::Definitions && inDefinitions_) {
            error = "Описание полей в файле базы звонков не закончено.";
            return false;
        }
        return true;  // an empty file, or one without a header or rows
    }

  private:
    enum class Stage { Definitions, Header, Rows };

    // The version line, then definitions up to the section's end.
    Result Definition(std::string_view line, std::string& error) {
        const std::string item = FirstItem(line);
        if (item == kFileVersion) {
            return Result::Taken;
        }
        if (item == kTableDefStart) {
            inDefinitions_ = true;
        } else if (item == kTableDefEnd) {
            stage_ = Stage::Header;
        } else if (item == kIndexDefStart) {
            inIndexes_ = true;
        } else if (item == kIndexDefEnd) {
            inIndexes_ = false;
        } else if (inDefinitions_ && !inIndexes_) {
            if (!CheckDefinition(item, error)) {
                return Result::Failed;
            }
        } else if (!inIndexes_) {
            error = "Это не файл базы звонков: нет описания полей.";
            return Result::Failed;
        }
        return Result::Taken;
    }

    // Each column's field, or none for a name the table lacks.
    Result Header(std::string_view line, std::string& error) {
        std::string_view name;
        for (ItemReader reader(line); !reader.AtEnd();) {
            columns_.push_back(reader.Next(scratch_, name) ? FieldByName(name) : std::nullopt);
        }
        // A header that names nothing of the table but N is no call-log
        // header (lines split by another separator match N alone); loading
        // it would leave every other value empty.
        if (std::none_of(columns_.begin(), columns_.end(),
                         [](const auto& field) { return field && *field != CallLogField::N; })) {
            error = "Это не файл базы звонков: заголовок не называет полей таблицы.";
            return Result::Failed;
        }
        stage_ = Stage::Rows;
        return Result::Taken;
    }

    Result Row(std::string_view line, CallLogRow& row, std::string& error) {
        ++lineNumber_;
        std::size_t column = 0;
        std::string_view item;
        for (ItemReader reader(line); !reader.AtEnd(); ++column) {
            if (!reader.Next(scratch_, item) || column >= columns_.size() || !columns_[column]) {
                continue;
            }
            if (!SetValue(row, *columns_[column], item)) {
                error = "Недопустимое значение (" + Cp1251ToUtf8(item) + ") поля " +
                        FieldInfo(*columns_[column]).name + " в строке " +
                        std::to_string(lineNumber_) + " файла базы звонков.";
                return Result::Failed;
            }
        }
        if (column != columns_.size()) {
            error = "Строка " + std::to_string(lineNumber_) + " файла базы звонков содержит " +
                    std::to_string(column) + " значений вместо " + std::to_string(columns_.size()) +
                    ".";
            return Result::Failed;
        }
        return Result::Row;
    }

    Stage stage_ = Stage::Definitions;
    bool inDefinitions_ = false;
    bool inIndexes_ = false;
    std::vector<std::optional<CallLogField>> columns_;
    std::size_t lineNumber_ = 0;
    std::string scratch_;
};

RowStream::RowStream(std::function<void(const CallLogRow&)> row)
    : row_(std::move(row)), lines_(std::make_unique<Lines>()) {}

RowStream::~RowStream() = default;

bool RowStream::Line(std::string_view line, std::string& error) {
    CallLogRow row;
    switch (lines_->Take(line, row, error)) {
        case Lines::Result::Taken:
            return true;
        case Lines::Result::Row:
            row_(row);
            return true;
        case Lines::Result::Failed:
            break;
    }
    return false;
}

bool RowStream::Feed(std::string_view bytes, std::string& error) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* stop = LineEnd(p, end);
        if (stop == end) {
            partial_.append(p, end);  // the next piece ends this line
            break;
        }
        std::string_view line(p, static_cast<std::size_t>(stop - p));
        if (!partial_.empty()) {
            partial_.append(line);
            line = partial_;
        }
        if (!line.empty() && !Line(line, error)) {
            return false;
        }
        partial_.clear();
        p = stop + 1;
    }
    return true;
}

bool RowStream::Finish(std::string& error) {
    if (!partial_.empty()) {
        const std::string last = std::move(partial_);
        partial_.clear();
        if (!Line(last, error)) {
            return false;
        }
    }
    return lines_->Finish(error);
}

bool Parse(std::string_view bytes, CallLogTable& table, std::string& error) {
    table.Reset();
    table.Reserve(bytes.size() / 150);
    RowStream stream([&table](const CallLogRow& row) { table.AppendNumbered(row); });
    return stream.Feed(bytes, error) && stream.Finish(error);
}

}  // namespace tulvo::call_log_file
