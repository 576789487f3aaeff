#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/record_error.h"
#include "store/config_file.h"
#include "store/config_line_reader.h"

namespace tulvo {

namespace {

constexpr const char* kSettingsError = "Ошибка при чтении настроек!";
constexpr const char* kGsmError = "Ошибка при чтении настроек GSM канала!";
constexpr const char* kAlarmError = "Ошибка при чтении настроек системы оповещения";
constexpr const char* kBlackListError = "Ошибка при чтении черного списка";
constexpr const char* kPasswordError = "Ошибка при чтении пароля администратора!";
constexpr const char* kSubscriberError = "Ошибка при базы абонентов! Абонент № ";
constexpr const char* kLimitError = "Ошибка при чтении базы абонентов! Абонент № ";
constexpr std::uint16_t kNotSet = 0xFFFF;

struct Token {
    std::string_view key;
    std::string_view value;
    bool hasValue = false;
};

Token SplitToken(std::string_view token) {
    for (std::size_t i = 0; i < token.size(); ++i) {
        if (token[i] == ':' || token[i] == '=') {
            return {token.substr(0, i), token.substr(i + 1), true};
        }
    }
    return {token, {}, false};
}

bool IsDecDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDecDigit(c) || (c >= 'A' && c <= 'F');
}

// 1 to maxDigits decimal digits.
std::optional<std::uint64_t> Dec(std::string_view v, std::size_t maxDigits) {
    if (v.empty() || v.size() > maxDigits || !std::all_of(v.begin(), v.end(), IsDecDigit)) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : v) {
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

// 1 to maxDigits upper-case hexadecimal digits.
std::optional<std::uint32_t> Hex(std::string_view v, std::size_t maxDigits) {
    if (v.empty() || v.size() > maxDigits || !std::all_of(v.begin(), v.end(), IsHexDigit)) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char c : v) {
        value = value * 16 + static_cast<unsigned>(IsDecDigit(c) ? c - '0' : c - 'A' + 10);
    }
    return value;
}

// A signed decimal integer that fits 32 bits.
std::optional<std::int64_t> Integer(std::string_view v) {
    const bool negative = !v.empty() && v.front() == '-';
    if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
        v.remove_prefix(1);
    }
    const auto magnitude = Dec(v, 10);
    if (!magnitude) {
        return std::nullopt;
    }
    const std::int64_t value =
        negative ? -static_cast<std::int64_t>(*magnitude) : static_cast<std::int64_t>(*magnitude);
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return value;
}

// A currency amount: an optionally signed decimal number with an optional
// fraction after '.'. Parsed by hand: the C library's conversion would follow
// the locale's decimal separator.
std::optional<double> Amount(std::string_view v) {
    const bool negative = !v.empty() && v.front() == '-';
    if (!v.empty() && (v.front() == '-' || v.front() == '+')) {
        v.remove_prefix(1);
    }
    const auto dot = v.find('.');
    const auto whole = Dec(v.substr(0, dot), 15);  // a 64-bit amount of 1/10000 units
    if (!whole) {
        return std::nullopt;
    }
    double amount = static_cast<double>(*whole);
    if (dot != std::string_view::npos) {
        const std::string_view fraction = v.substr(dot + 1);
        if (!Dec(fraction, 18)) {
            return std::nullopt;
        }
        double scale = 0.1;
        for (char c : fraction) {
            amount += scale * (c - '0');
            scale /= 10;
        }
    }
    return negative ? -amount : amount;
}

std::string Spaced(std::string_view text) {
    std::string out(text.substr(0, text.find('\0')));
    std::replace(out.begin(), out.end(), '/', ' ');
    std::replace(out.begin(), out.end(), '\\', ' ');
    return out;
}

// The kinds of line that carry key:value tokens after their first token.
enum class Line { kLineSetting, kGsm, kPassword, kAlarm, kBlackList, kSubscriber, kAccount };

enum class Check {
    kDigit,       // 1 decimal digit
    kHelp,        // 1 decimal digit, 0 to 2
    kDigits3,     // 1 to 3 decimal digits
    kDigits5,     // 1 to 5 decimal digits
    kReference,   // a subscriber number - 1 in 1 to 3 digits, or 65535 for none
    kLimits,      // two limits of 1 to 4 digits (65535: no limit) split at '/' or '\'
    kHex2,        // 1 or 2 hexadecimal digits
    kHex8,        // 1 to 8 hexadecimal digits
    kDigitText7,  // 1 to 7 decimal digits, kept as text
    kAdminPass,   // empty (no password) or 1 to 7 decimal digits
    kPrefix,      // empty (an entry in use without a prefix) or 1 to 18 decimal digits
    kText18,      // at most 18 characters of any kind
    kText,        // any text
    kInteger,     // a signed decimal integer
    kAmount,      // a currency amount
};

// A value that passed its check.
struct Value {
    std::uint64_t number = 0;
    std::uint64_t second = 0;  // the second limit of kLimits
    std::string_view text;
    double amount = 0;
};

std::optional<std::uint64_t> Reference(std::string_view v) {
    return v == "65535" ? std::optional<std::uint64_t>(kNotSet) : Dec(v, 3);
}

std::optional<std::uint64_t> Limit(std::string_view v) {
    return v == "65535" ? std::optional<std::uint64_t>(kNotSet) : Dec(v, 4);
}

// Splits "a/b" or "a\b" at the first separator; no separator gives an empty b.
std::pair<std::string_view, std::string_view> SplitPair(std::string_view v) {
    const auto split = v.find_first_of("/\\");
    if (split == std::string_view::npos) {
        return {v, {}};
    }
    return {v.substr(0, split), v.substr(split + 1)};
}

std::optional<Value> Number(std::optional<std::uint64_t> n, std::uint64_t second = 0) {
    return n ? std::optional<Value>(Value{*n, second, {}, 0}) : std::nullopt;
}

std::optional<Value> Checked(Check check, std::string_view v) {
    const Value text{0, 0, v, 0};
    switch (check) {
        case Check::kDigit:
            return Number(Dec(v, 1));
        case Check::kHelp: {
            const auto n = Dec(v, 1);
            return Number(n && *n <= 2 ? n : std::nullopt);
        }
        case Check::kDigits3:
            return Number(Dec(v, 3));
        case Check::kDigits5:
            return Number(Dec(v, 5));
        case Check::kReference:
            return Number(Reference(v));
        case Check::kLimits: {
            const auto [in, out] = SplitPair(v);
            const auto limIn = Limit(in);
            const auto limOut = Limit(out);
            return limIn && limOut ? Number(limIn, *limOut) : std::nullopt;
        }
        case Check::kHex2:
            return Number(Hex(v, 2));
        case Check::kHex8:
            return Number(Hex(v, 8));
        case Check::kDigitText7:
            return Dec(v, 7) ? std::optional<Value>(text) : std::nullopt;
        case Check::kAdminPass:
            return v.empty() || Dec(v, 7) ? std::optional<Value>(text) : std::nullopt;
        case Check::kPrefix:
            return v.empty() || Dec(v, 18) ? std::optional<Value>(text) : std::nullopt;
        case Check::kText18:
            return v.size() <= 18 ? std::optional<Value>(text) : std::nullopt;
        case Check::kText:
            return text;
        case Check::kInteger: {
            const auto n = Integer(v);
            return n ? Number(static_cast<std::uint64_t>(*n)) : std::nullopt;
        }
        case Check::kAmount: {
            const auto amount = Amount(v);
            return amount ? std::optional<Value>(Value{0, 0, {}, *amount}) : std::nullopt;
        }
    }
    return std::nullopt;
}

// The record a line is read into: the image and the line's number (the
// subscriber, the list element; 0 for FXO and 1 for FXS).
struct Target {
    TData& image;
    int index = 0;

    LineSettingRecord LineSetting() const {
        return index == 0 ? image.SettingFXO() : image.SettingFXS();
    }
    AbInfoRecord Info() const { return image.AbInfo(index); }
    AbPhoneRecord Phone() const { return image.AbPhone(index); }
};

using Store = void (*)(const Target&, const Value&);

std::uint8_t Byte(const Value& v) {
    return static_cast<std::uint8_t>(v.number);
}
std::uint16_t Word(const Value& v) {
    return static_cast<std::uint16_t>(v.number);
}

void Nothing(const Target&, const Value&) {}

template <int slot>
void AlarmPassword(const Target& t, const Value& v) {
    t.image.SettingAlarm().SetPassword(slot, v.text);
}
template <int position>
void NotifiedSubscriber(const Target& t, const Value& v) {
    t.image.SettingAlarm().SetAbName(position, static_cast<std::int16_t>(Word(v)));
}
template <int channel>
void InTimeout(const Target& t, const Value& v) {
    t.image.SettingAlarm().SetInTimeout(channel, Word(v));
}
template <int index>
void AccountSubscriber(const Target& t, const Value& v) {
    t.image.ControlAccount().SetAB(index, static_cast<std::int16_t>(Word(v)));
}

// One key of one kind of line: the check its value must pass, the message
// shown when it does not (reading then goes on with the next token), and
// where the value goes. Some stores check the value again themselves: their
// refusal ends the whole load. A subscriber slot is put in use by the keys
// marked so.
struct Field {
    Line line;
    std::string_view key;
    Check check;
    const char* refused;
    Store store;
    bool putsInUse = false;
};

// clang-format off
constexpr Field kFields[] = {
    // "FXO" and "FXS" lines.
    {Line::kLineSetting, "OCM", Check::kDigit, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetOCM(static_cast<int>(v.number)); }},
    {Line::kLineSetting, "PM", Check::kDigit, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetPM(static_cast<int>(v.number)); }},
    {Line::kLineSetting, "MLDM", Check::kDigit, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetMLDM(static_cast<int>(v.number)); }},
    {Line::kLineSetting, "MLFT", Check::kDigits3, kSettingsError, Nothing},
    {Line::kLineSetting, "MLNT", Check::kDigits3, kSettingsError, Nothing},
    {Line::kLineSetting, "LMDM", Check::kDigit, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetLMDM(static_cast<int>(v.number)); }},
    {Line::kLineSetting, "LMFT", Check::kDigits3, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetLMFT(Byte(v)); }},
    {Line::kLineSetting, "LMNT", Check::kDigits3, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetLMNT(Byte(v)); }},
    {Line::kLineSetting, "FLAG", Check::kHex2, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetFLAG(Byte(v)); }},
    {Line::kLineSetting, "PR", Check::kDigits3, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetPR(Byte(v)); }},
    {Line::kLineSetting, "VL", Check::kDigit, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetVL(static_cast<int>(v.number)); }},
    {Line::kLineSetting, "MAB", Check::kReference, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetMAB(Word(v)); }},
    {Line::kLineSetting, "OUTLIM", Check::kDigits5, kSettingsError,
     [](const Target& t, const Value& v) {
         t.LineSetting().SetOUTLIM(static_cast<std::uint32_t>(std::min<std::uint64_t>(v.number, kNotSet)));
     }},
    {Line::kLineSetting, "INLIM", Check::kDigits5, kSettingsError,
     [](const Target& t, const Value& v) {
         t.LineSetting().SetINLIM(static_cast<std::uint32_t>(std::min<std::uint64_t>(v.number, kNotSet)));
     }},
    {Line::kLineSetting, "HLP", Check::kHelp, kSettingsError,
     [](const Target& t, const Value& v) { t.LineSetting().SetHLP(static_cast<unsigned>(v.number)); }},

    // "GSM" line.
    {Line::kGsm, "FLAG", Check::kHex2, kGsmError,
     [](const Target& t, const Value& v) { t.image.SettingMOB().SetFLAG(Byte(v)); }},
    {Line::kGsm, "RM", Check::kDigit, kGsmError,
     [](const Target& t, const Value& v) { t.image.SettingMOB().SetRM(static_cast<int>(v.number)); }},
    // Stored only when it fits the field.
    {Line::kGsm, "RP", Check::kText, kGsmError,
     [](const Target& t, const Value& v) { t.image.SettingMOB().SetRP(v.text); }},

    // "PASSWORD:" alone is how an empty administrator password is written.
    {Line::kPassword, "PASSWORD", Check::kAdminPass, kPasswordError,
     [](const Target& t, const Value& v) { t.image.SettingPASSWORD().SetPassword(v.text); }},

    // "ALARM" line. Channel passwords may hold letters, as the alarm dialog
    // allows, or be empty for a channel without one.
    {Line::kAlarm, "EM", Check::kHex2, kAlarmError,
     [](const Target& t, const Value& v) { t.image.SettingAlarm().SetEM(Byte(v)); }},
    {Line::kAlarm, "MM", Check::kHex8, kAlarmError,
     [](const Target& t, const Value& v) {
         t.image.SettingAlarm().SetMM(static_cast<std::uint32_t>(v.number));
     }},
    {Line::kAlarm, "P0", Check::kText18, kAlarmError, AlarmPassword<0>},
    {Line::kAlarm, "P1", Check::kText18, kAlarmError, AlarmPassword<1>},
    {Line::kAlarm, "P2", Check::kText18, kAlarmError, AlarmPassword<2>},
    {Line::kAlarm, "P3", Check::kText18, kAlarmError, AlarmPassword<3>},
    {Line::kAlarm, "P4", Check::kText18, kAlarmError, AlarmPassword<4>},
    {Line::kAlarm, "I0", Check::kDigits3, kAlarmError, Nothing},
    {Line::kAlarm, "I1", Check::kReference, kAlarmError, NotifiedSubscriber<1>},
    {Line::kAlarm, "I2", Check::kReference, kAlarmError, NotifiedSubscriber<2>},
    {Line::kAlarm, "I3", Check::kReference, kAlarmError, NotifiedSubscriber<3>},
    {Line::kAlarm, "T0", Check::kDigits5, kAlarmError, Nothing},
    {Line::kAlarm, "T1", Check::kDigits3, kAlarmError, InTimeout<1>},
    {Line::kAlarm, "T2", Check::kDigits3, kAlarmError, InTimeout<2>},
    {Line::kAlarm, "T3", Check::kDigits3, kAlarmError, InTimeout<3>},
    {Line::kAlarm, "FLAG", Check::kHex2, kAlarmError,
     [](const Target& t, const Value& v) { t.image.SettingAlarm().SetFLAG(Byte(v)); }},

    // "BL:k" lines.
    {Line::kBlackList, "GM", Check::kHex2, kBlackListError,
     [](const Target& t, const Value& v) { t.image.BlackListEntry(t.index).SetGM(Byte(v)); }},
    {Line::kBlackList, "FLAG", Check::kHex2, kBlackListError,
     [](const Target& t, const Value& v) { t.image.BlackListEntry(t.index).SetFLAG(Byte(v)); }},
    {Line::kBlackList, "NUM", Check::kPrefix, kBlackListError,
     [](const Target& t, const Value& v) { t.image.BlackListEntry(t.index).SetNUM(v.text); }},

    // "Ab:n" lines; the subscriber's number follows the message.
    {Line::kSubscriber, "ID", Check::kHex8, kSubscriberError,
     [](const Target& t, const Value& v) {
         t.Info().SetID(static_cast<std::uint32_t>(v.number));
         t.image.Name(t.index).AbIdCod = static_cast<std::int32_t>(v.number);
     }, true},
    {Line::kSubscriber, "Lim", Check::kLimits, kLimitError,
     [](const Target& t, const Value& v) {
         t.Info().SetLimIn(static_cast<std::uint32_t>(v.number));
         t.Info().SetLimOut(static_cast<std::uint32_t>(v.second));
     }, true},
    {Line::kSubscriber, "LM", Check::kHex2, kSubscriberError,
     [](const Target& t, const Value& v) {
         t.Info().SetLM(static_cast<std::uint8_t>((v.number & 0x3F) | 0x38));
     }, true},
    // A digit above 2 names no line and is taken as 0.
    {Line::kSubscriber, "DL", Check::kDigit, kSubscriberError,
     [](const Target& t, const Value& v) { t.Info().SetDL(v.number > 2 ? 0 : Byte(v)); }, true},
    {Line::kSubscriber, "Gr", Check::kHex2, kSubscriberError,
     [](const Target& t, const Value& v) { t.Info().SetGr(Byte(v)); }, true},
    {Line::kSubscriber, "Password", Check::kDigitText7, kSubscriberError,
     [](const Target& t, const Value& v) { t.Info().SetPassword(v.text); }},
    {Line::kSubscriber, "FLAG", Check::kHex2, kSubscriberError,
     [](const Target& t, const Value& v) { t.Info().SetFLAG(Byte(v)); }},
    {Line::kSubscriber, "Ph", Check::kText, kSubscriberError,
     [](const Target& t, const Value& v) {
         const auto [in, out] = SplitPair(v.text);
         t.Phone().SetPhoneIn(in);
         t.Phone().SetPhoneOut(out);
         t.Phone().SetPhoneIndex(static_cast<std::uint16_t>(t.index - 1));
     }, true},
    {Line::kSubscriber, "FNS", Check::kText, kSubscriberError,
     [](const Target& t, const Value& v) { t.image.Name(t.index).AbFNS = Spaced(v.text); }},

    // "AC_CTRL" line.
    {Line::kAccount, "TO1", Check::kInteger, kSettingsError,
     [](const Target& t, const Value& v) { t.image.ControlAccount().SetTO1(Word(v)); }},
    {Line::kAccount, "USSD", Check::kText, kSettingsError,
     [](const Target& t, const Value& v) { t.image.ControlAccount().SetUSSD(v.text); }},
    {Line::kAccount, "UNIT", Check::kText, kSettingsError,
     [](const Target& t, const Value& v) { t.image.ControlAccount().SetUNIT(v.text); }},
    {Line::kAccount, "AL", Check::kAmount, kSettingsError,
     [](const Target& t, const Value& v) { t.image.ControlAccount().SetAL(v.amount); }},
    {Line::kAccount, "AB1", Check::kInteger, kSettingsError, AccountSubscriber<0>},
    {Line::kAccount, "AB2", Check::kInteger, kSettingsError, AccountSubscriber<1>},
    {Line::kAccount, "AB3", Check::kInteger, kSettingsError, AccountSubscriber<2>},
    {Line::kAccount, "AB4", Check::kInteger, kSettingsError, AccountSubscriber<3>},
};
// clang-format on

const Field* FindField(Line line, std::string_view key) {
    const auto found = std::find_if(std::begin(kFields), std::end(kFields),
                                    [&](const Field& f) { return f.line == line && f.key == key; });
    return found == std::end(kFields) ? nullptr : found;
}

// Reads lines into an image, telling each refused value to the operator.
class LineReader {
  public:
    LineReader(Operator& op, ConfigLoadResult& result) : op_(op), result_(result) {}

    // Checks and stores one value; true when it was stored.
    bool Apply(const Field& field, const Target& target, std::string_view v) {
        const auto value = Checked(field.check, v);
        if (!value) {
            std::string message = field.refused;
            if (field.line == Line::kSubscriber) {
                message += std::to_string(target.index);
            }
            Refuse(message);
            return false;
        }
        field.store(target, *value);
        return true;
    }

    // The tokens after a line's first: a token without a value, or with a
    // key the line does not know, is skipped. True when a value of a key
    // that puts a subscriber in use was stored.
    bool Tokens(Line line, const Target& target, std::string_view rest) {
        bool putInUse = false;
        while (!rest.empty()) {
            const auto comma = rest.find(',');
            const Token token = SplitToken(rest.substr(0, comma));
            const Field* field = token.hasValue ? FindField(line, token.key) : nullptr;
            if (field != nullptr && Apply(*field, target, token.value)) {
                putInUse = putInUse || field->putsInUse;
            }
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
        return putInUse;
    }

    void Refuse(const std::string& message) {
        ++result_.messages;
        op_.Error(message);
    }

  private:
    Operator& op_;
    ConfigLoadResult& result_;
};

void ReadSubscriber(LineReader& reader, TData& image, int n, std::string_view rest) {
    const Target target{image, n};
    const bool inUse = reader.Tokens(Line::kSubscriber, target, rest);
    AbPhoneRecord phone = target.Phone();
    phone.SetFlagPhone(phone.FlagPhone() & 0x7F);
    if (inUse) {
        AbInfoRecord info = target.Info();
        info.SetFLAG(info.bytes()[0] & 0x7F);
    }
}

// The settings lines, selected by their first token alone.
std::optional<Line> SettingsLine(std::string_view key) {
    struct Kind {
        std::string_view key;
        Line line;
    };
    static constexpr Kind kKinds[] = {{"FXO", Line::kLineSetting},
                                      {"FXS", Line::kLineSetting},
                                      {"GSM", Line::kGsm},
                                      {"ALARM", Line::kAlarm},
                                      {"AC_CTRL", Line::kAccount}};
    for (const Kind& kind : kKinds) {
        if (kind.key == key) {
            return kind.line;
        }
    }
    return std::nullopt;
}

// Reads one line; lines counts the lines that select a record to read into,
// before it is read (a refusal by a record check ends the load inside).
void ReadLine(TData& image, std::string_view line, LineReader& reader, int& lines) {
    const auto comma = line.find(',');
    const Token first = SplitToken(line.substr(0, comma));
    const std::string_view rest =
        comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 1);
    if (const auto kind = SettingsLine(first.key)) {
        ++lines;
        if (*kind == Line::kAlarm) {
            image.SettingAlarm().Reset();  // what the line leaves out goes back to its default
        }
        reader.Tokens(*kind, Target{image, first.key == "FXS" ? 1 : 0}, rest);
    } else if (first.key == "Ab") {
        const auto n = Dec(first.value, 3);
        if (n && *n >= 1 && *n <= TData::kSubscribers) {
            ++lines;
            ReadSubscriber(reader, image, static_cast<int>(*n), rest);
        }
    } else if (first.key == "PASSWORD" && first.hasValue) {
        ++lines;
        reader.Apply(*FindField(Line::kPassword, first.key), Target{image}, first.value);
    } else if (first.key == "BL" && !first.value.empty()) {
        const auto k = Dec(first.value, 3);
        if (!k) {
            reader.Refuse("");
        } else if (*k < TData::kBlackListEntries) {
            ++lines;
            reader.Tokens(Line::kBlackList, Target{image, static_cast<int>(*k)}, rest);
        }
    }
}

void ResetForLoad(TData& image) {
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        image.AbInfo(n).Reset();
        image.AbPhone(n).Reset();
    }
    for (int k = 0; k < TData::kBlackListEntries - 1; ++k) {
        BlackListRecord entry = image.BlackListEntry(k);
        entry.SetFLAG(BlackListRecord::kEmpty);
        entry.SetGM(0);
        entry.SetNUM("");
    }
}

}  // namespace

ConfigLoadResult ReadConfig(TData& image, ByteSource& source, Operator& op) {
    ConfigLoadResult result;
    result.opened = true;
    // A byte-order mark that editors put before UTF-8 text.
    if (source.Chunk().starts_with("\xEF\xBB\xBF")) {
        source.Consume(3);
    }
    LineReader reader(op, result);
    ConfigLineReader lines(source);
    std::string line;
    try {
        while (lines.Next(line)) {
            if (!line.empty()) {
                ReadLine(image, line, reader, result.lines);
            }
        }
    } catch (const RecordError& error) {
        ++result.messages;
        result.stopped = true;
        op.Error(error.what());
    }
    return result;
}

void CopyImage(const TData& from, TData& to) {
    auto copy = [](auto source, auto target) {
        std::copy(source.bytes().begin(), source.bytes().end(), target.bytes().begin());
    };
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        copy(from.AbInfo(n), to.AbInfo(n));
        copy(from.AbLimit(n), to.AbLimit(n));
        copy(from.AbPhone(n), to.AbPhone(n));
        to.Name(n) = from.Name(n);
    }
    copy(from.SettingFXO(), to.SettingFXO());
    copy(from.SettingFXS(), to.SettingFXS());
    copy(from.SettingMOB(), to.SettingMOB());
    copy(from.SettingPASSWORD(), to.SettingPASSWORD());
    copy(from.SettingAlarm(), to.SettingAlarm());
    for (int k = 0; k < TData::kBlackListEntries; ++k) {
        copy(from.BlackListEntry(k), to.BlackListEntry(k));
    }
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        copy(from.SMSMessage(m), to.SMSMessage(m));
    }
    copy(from.ControlAccount(), to.ControlAccount());
}

namespace {

// Keeps the reader's messages until it is known whether the file is a
// configuration file at all.
class HeldMessages : public Operator {
  public:
    void Message(const std::string& text) override { texts_.push_back(text); }
    void Error(const std::string& text) override { texts_.push_back(text); }
    bool AskYesNo(const std::string&) override { return false; }
    Choice AskAbortIgnoreCancel(const std::string&) override { return Choice::Abort; }
    void ShowTo(Operator& op) const {
        for (const std::string& text : texts_) {
            op.Error(text);
        }
    }

  private:
    std::vector<std::string> texts_;
};

ConfigLoadResult Refused(Operator& op, const std::string& message, bool opened) {
    op.Error(message);
    ConfigLoadResult result;
    result.opened = opened;
    result.refused = true;
    result.messages = 1;
    return result;
}

}  // namespace

ConfigLoadResult LoadConfigFile(TData& image, const std::string& path, Operator& op) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Refused(op, "Невозможно открыть файл " + path + "!", false);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // A folder opens for reading on Linux but holds no lines: it is no file.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        return Refused(op, "Невозможно открыть файл " + path + "!", false);
    }
    const std::string tooLarge = "Файл " + path + " слишком велик для файла конфигурации!";
    if (S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > kMaxConfigFileBytes) {
        return Refused(op, tooLarge, true);
    }
    // Everything is read into a copy; the image changes only when the whole
    // file has been read.
    auto scratch = std::make_unique<TData>();
    CopyImage(image, *scratch);
    ResetForLoad(*scratch);
    ByteSource source(fd, kMaxConfigFileBytes);
    HeldMessages held;
    ConfigLoadResult result = ReadConfig(*scratch, source, held);
    if (source.HitLimit()) {
        return Refused(op, tooLarge, true);
    }
    if (source.Failed()) {
        return Refused(op, "Невозможно прочитать файл " + path + "!", true);
    }
    if (result.lines == 0) {
        return Refused(op, "Файл " + path + " не является файлом конфигурации!", true);
    }
    held.ShowTo(op);
    if (!result.stopped) {
        CopyImage(*scratch, image);
    }
    return result;
}

}  // namespace tulvo
