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
constexpr unsigned kReceiveModeMask = 0x1F;

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

// Reads one line's tokens after the first, handing each token that has a value
// to the line's table.
class LineParser {
  public:
    LineParser(Operator& op, ConfigLoadResult& result) : op_(op), result_(result) {}

    template <typename Table>
    void Tokens(std::string_view rest, Table table) {
        while (!rest.empty()) {
            const auto comma = rest.find(',');
            const Token token = SplitToken(rest.substr(0, comma));
            if (token.hasValue) {
                table(token.key, token.value);
            }
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }

    void Refuse(const std::string& message) {
        ++result_.messages;
        op_.Error(message);
    }

  private:
    Operator& op_;
    ConfigLoadResult& result_;
};

// 1 to 5 decimal digits that fit 16 bits: limits, subscriber references (65535
// for none) and time-outs, whatever value the gateway holds.
std::optional<std::uint64_t> Word(std::string_view v) {
    const auto n = Dec(v, 5);
    return n && *n <= kNotSet ? n : std::nullopt;
}

// A text of at most maxChars characters, any of them; empty only when allowed.
bool TextFits(std::string_view v, std::size_t maxChars, bool emptyAllowed) {
    return v.size() <= maxChars && (emptyAllowed || !v.empty());
}

enum class Check { kHelp, kDigits3, kWord, kDigits5, kHex2 };

std::optional<std::uint64_t> Checked(Check check, std::string_view v) {
    switch (check) {
        case Check::kHelp: {  // two bits
            const auto n = Dec(v, 1);
            return n && *n <= 3 ? n : std::nullopt;
        }
        case Check::kDigits3:
            return Dec(v, 3);
        case Check::kWord:
            return Word(v);
        case Check::kDigits5:
            return Dec(v, 5);
        case Check::kHex2:
            return Hex(v, 2);
    }
    return std::nullopt;
}

// A mode byte whose record check refuses values its dialog does not offer. The
// gateway may hold any value that fits the field, and the writer writes it, so
// such a value is stored as it is; only a value beyond the field goes through
// the record's check, which refuses it and ends the load.
struct ModeKey {
    std::string_view key;
    std::size_t offset;
    unsigned fieldMax;
    std::size_t digits;
    void (*check)(LineSettingRecord, int);
};

constexpr ModeKey kModeKeys[] = {
    {"OCM", 0, 255, 3, [](LineSettingRecord r, int v) { r.SetOCM(v); }},
    {"PM", 1, 255, 3, [](LineSettingRecord r, int v) { r.SetPM(v); }},
    {"MLDM", 2, 255, 3, [](LineSettingRecord r, int v) { r.SetMLDM(v); }},
    {"LMDM", 5, 255, 3, [](LineSettingRecord r, int v) { r.SetLMDM(v); }},
    {"VL", 11, 15, 2, [](LineSettingRecord r, int v) { r.SetVL(v); }},
};

// True when key is a mode key; its value is then stored or refused.
bool ReadMode(LineParser& p, std::string_view key, std::string_view v, LineSettingRecord r) {
    const auto entry = std::find_if(std::begin(kModeKeys), std::end(kModeKeys),
                                    [key](const ModeKey& k) { return k.key == key; });
    if (entry == std::end(kModeKeys)) {
        return false;
    }
    const auto n = Dec(v, entry->digits);
    if (!n) {
        p.Refuse(kSettingsError);
    } else if (*n <= entry->fieldMax) {
        r.bytes()[entry->offset] = static_cast<std::uint8_t>(*n);
    } else {
        entry->check(r, static_cast<int>(*n));
    }
    return true;
}

using LineStore = void (*)(LineSettingRecord, unsigned);

struct LineKey {
    std::string_view key;
    Check check;
    LineStore store;
};

// The other "FXO" and "FXS" keys.
constexpr LineKey kLineKeys[] = {
    {"MLFT", Check::kDigits3, [](LineSettingRecord, unsigned) {}},
    {"MLNT", Check::kDigits3, [](LineSettingRecord, unsigned) {}},
    {"LMFT", Check::kDigits3, [](LineSettingRecord r, unsigned v) { r.SetLMFT(v & 0xFF); }},
    {"LMNT", Check::kDigits3, [](LineSettingRecord r, unsigned v) { r.SetLMNT(v & 0xFF); }},
    {"FLAG", Check::kHex2,
     [](LineSettingRecord r, unsigned v) { r.SetFLAG(static_cast<std::uint8_t>(v)); }},
    {"PR", Check::kDigits3,
     [](LineSettingRecord r, unsigned v) { r.SetPR(static_cast<std::uint8_t>(v)); }},
    {"MAB", Check::kWord,
     [](LineSettingRecord r, unsigned v) { r.SetMAB(static_cast<std::uint16_t>(v)); }},
    {"OUTLIM", Check::kDigits5,
     [](LineSettingRecord r, unsigned v) { r.SetOUTLIM(std::min(v, 65535u)); }},
    {"INLIM", Check::kDigits5,
     [](LineSettingRecord r, unsigned v) { r.SetINLIM(std::min(v, 65535u)); }},
    {"HLP", Check::kHelp, [](LineSettingRecord r, unsigned v) { r.SetHLP(v); }},
};

void ReadLineSetting(LineParser& p, std::string_view rest, LineSettingRecord r) {
    p.Tokens(rest, [&](std::string_view key, std::string_view v) {
        if (ReadMode(p, key, v, r)) {
            return;
        }
        const auto entry = std::find_if(std::begin(kLineKeys), std::end(kLineKeys),
                                        [key](const LineKey& k) { return k.key == key; });
        if (entry == std::end(kLineKeys)) {
            return;
        }
        const auto n = Checked(entry->check, v);
        if (!n) {
            p.Refuse(kSettingsError);
            return;
        }
        entry->store(r, static_cast<unsigned>(*n));
    });
}

void ReadGsm(LineParser& p, std::string_view rest, MobSettingRecord r) {
    p.Tokens(rest, [&](std::string_view key, std::string_view v) {
        if (key == "RP") {
            r.SetRP(v);
            return;
        }
        if (key != "FLAG" && key != "RM") {
            return;
        }
        const std::optional<std::uint64_t> n =
            key == "FLAG" ? std::optional<std::uint64_t>(Hex(v, 2)) : Dec(v, 2);
        if (!n) {
            p.Refuse(kGsmError);
        } else if (key == "FLAG") {
            r.SetFLAG(static_cast<std::uint8_t>(*n));
        } else if (*n <= kReceiveModeMask) {
            // Bits 0-4 hold any mode the gateway has; only a value beyond them
            // goes to the record's check, which refuses it.
            std::uint8_t& modes = r.bytes()[1];
            modes = static_cast<std::uint8_t>((modes & ~kReceiveModeMask) | *n);
        } else {
            r.SetRM(static_cast<int>(*n));
        }
    });
}

// "P0".."P4", "I0".."I3", "T0".."T3": the digit after the letter, else -1.
int Slot(std::string_view key, char letter, int last) {
    if (key.size() != 2 || key[0] != letter || key[1] < '0' || key[1] > '0' + last) {
        return -1;
    }
    return key[1] - '0';
}

void ReadAlarm(LineParser& p, std::string_view rest, AlarmSettingRecord r) {
    r.Reset();
    p.Tokens(rest, [&](std::string_view key, std::string_view v) {
        if (key == "EM" || key == "FLAG" || key == "MM") {
            const auto n = Hex(v, key == "MM" ? 8 : 2);
            if (!n) {
                p.Refuse(kAlarmError);
            } else if (key == "EM") {
                r.SetEM(static_cast<std::uint8_t>(*n));
            } else if (key == "FLAG") {
                r.SetFLAG(static_cast<std::uint8_t>(*n));
            } else {
                r.SetMM(*n);
            }
        } else if (const int slot = Slot(key, 'P', 4); slot >= 0) {
            // A channel without a password is written with an empty value.
            TextFits(v, 18, true) ? r.SetPassword(slot, v) : p.Refuse(kAlarmError);
        } else if (const int position = Slot(key, 'I', 3); position >= 0) {
            // Written as an unsigned 16-bit number: an unset position is 65535.
            const auto n = Word(v);
            if (!n) {
                p.Refuse(kAlarmError);
            } else if (position > 0) {
                r.SetAbName(position, static_cast<std::int16_t>(*n));
            }
        } else if (const int channel = Slot(key, 'T', 3); channel >= 0) {
            // Time-outs up to 65535 s can be set, and are written, with 5 digits.
            const auto n = Dec(v, 5);
            if (!n || (channel > 0 && *n > 65535)) {
                p.Refuse(kAlarmError);
            } else if (channel > 0) {
                r.SetInTimeout(channel, static_cast<std::uint16_t>(*n));
            }
        }
    });
}

void ReadBlackList(LineParser& p, std::string_view rest, BlackListRecord r) {
    p.Tokens(rest, [&](std::string_view key, std::string_view v) {
        if (key == "NUM") {
            // An entry in use may have an empty prefix.
            v.empty() || Dec(v, 18) ? r.SetNUM(v) : p.Refuse(kBlackListError);
            return;
        }
        if (key != "GM" && key != "FLAG") {
            return;
        }
        const auto n = Hex(v, 2);
        if (!n) {
            p.Refuse(kBlackListError);
        } else if (key == "GM") {
            r.SetGM(static_cast<std::uint8_t>(*n));
        } else {
            r.SetFLAG(static_cast<std::uint8_t>(*n));
        }
    });
}

// "AB1".."AB4" give 0..3, "TO1" gives -1, other keys -2.
int AccountIndex(std::string_view key) {
    if (key == "TO1") {
        return -1;
    }
    if (key.size() == 3 && key.substr(0, 2) == "AB" && key[2] >= '1' && key[2] <= '4') {
        return key[2] - '1';
    }
    return -2;
}

void ReadAccount(LineParser& p, std::string_view rest, ControlAccountRecord r) {
    p.Tokens(rest, [&](std::string_view key, std::string_view v) {
        if (key == "USSD") {
            r.SetUSSD(v);
        } else if (key == "UNIT") {
            r.SetUNIT(v);
        } else if (key == "AL") {
            const auto amount = Amount(v);
            if (amount) {
                r.SetAL(*amount);
            } else {
                p.Refuse(kSettingsError);
            }
        } else if (const int index = AccountIndex(key); index >= -1) {
            const auto n = Integer(v);
            if (!n) {
                p.Refuse(kSettingsError);
            } else if (index < 0) {
                r.SetTO1(static_cast<std::uint16_t>(*n));
            } else {
                r.SetAB(index, static_cast<std::int16_t>(static_cast<std::uint16_t>(*n)));
            }
        }
    });
}

// Splits "a/b" or "a\b" at the first separator; no separator gives an empty b.
std::pair<std::string_view, std::string_view> SplitPair(std::string_view v) {
    const auto split = v.find_first_of("/\\");
    if (split == std::string_view::npos) {
        return {v, {}};
    }
    return {v.substr(0, split), v.substr(split + 1)};
}

class SubscriberReader {
  public:
    SubscriberReader(LineParser& p, TData& image, int n)
        : p_(p), image_(image), n_(n), info_(image.AbInfo(n)), phone_(image.AbPhone(n)) {}

    void Read(std::string_view rest) {
        p_.Tokens(rest, [this](std::string_view key, std::string_view v) { Token(key, v); });
        phone_.SetFlagPhone(phone_.FlagPhone() & 0x7F);
        if (inUse_) {
            info_.SetFLAG(info_.bytes()[0] & 0x7F);
        }
    }

  private:
    void Token(std::string_view key, std::string_view v) {
        if (key == "Lim") {
            Limits(v);
        } else if (key == "Ph") {
            const auto [in, out] = SplitPair(v);
            phone_.SetPhoneIn(in);
            phone_.SetPhoneOut(out);
            phone_.SetPhoneIndex(static_cast<std::uint16_t>(n_ - 1));
            Stored();
        } else if (key == "FNS") {
            image_.Name(n_).AbFNS = Spaced(v);
        } else if (key == "Password") {
            if (TextFits(v, 7, false)) {
                info_.SetPassword(v);
            } else {
                Refuse();
            }
        } else if (key == "DL") {
            DefaultLine(v);
        } else {
            HexField(key, v);
        }
    }

    void HexField(std::string_view key, std::string_view v) {
        const bool id = key == "ID";
        if (!id && key != "LM" && key != "Gr" && key != "FLAG") {
            return;
        }
        const auto n = Hex(v, id ? 8 : 2);
        if (!n) {
            Refuse();
            return;
        }
        const auto byte = static_cast<std::uint8_t>(*n);
        if (id) {
            info_.SetID(*n);
            image_.Name(n_).AbIdCod = static_cast<std::int32_t>(*n);
            Stored();
        } else if (key == "LM") {
            info_.SetLM(static_cast<std::uint8_t>((byte & 0x3F) | 0x38));
            Stored();
        } else if (key == "Gr") {
            info_.SetGr(byte);
            Stored();
        } else {
            info_.SetFLAG(byte);
        }
    }

    // A digit above 2 names no line and is taken as 0.
    void DefaultLine(std::string_view v) {
        const auto n = Dec(v, 1);
        if (!n) {
            Refuse();
            return;
        }
        info_.SetDL(static_cast<std::uint8_t>(*n > 2 ? 0 : *n));
        Stored();
    }

    void Limits(std::string_view v) {
        const auto [in, out] = SplitPair(v);
        // Any 16-bit value: 65535 is the blank record's "no limit".
        const auto limIn = Word(in);
        const auto limOut = Word(out);
        if (!limIn || !limOut) {
            p_.Refuse(kLimitError + std::to_string(n_));
            return;
        }
        info_.SetLimIn(static_cast<std::uint32_t>(*limIn));
        info_.SetLimOut(static_cast<std::uint32_t>(*limOut));
        Stored();
    }

    void Stored() { inUse_ = true; }
    void Refuse() { p_.Refuse(kSubscriberError + std::to_string(n_)); }

    LineParser& p_;
    TData& image_;
    int n_;
    AbInfoRecord info_;
    AbPhoneRecord phone_;
    bool inUse_ = false;
};

// Reads one line; lines counts the lines that select a record to read into,
// before it is read (a refusal by a record check ends the load inside).
void ReadLine(TData& image, std::string_view line, LineParser& p, int& lines) {
    const auto comma = line.find(',');
    const Token first = SplitToken(line.substr(0, comma));
    const std::string_view rest =
        comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 1);
    if (first.key == "Ab") {
        const auto n = Dec(first.value, 3);
        if (n && *n >= 1 && *n <= TData::kSubscribers) {
            ++lines;
            SubscriberReader(p, image, static_cast<int>(*n)).Read(rest);
        }
    } else if (first.key == "FXO") {
        ++lines;
        ReadLineSetting(p, rest, image.SettingFXO());
    } else if (first.key == "FXS") {
        ++lines;
        ReadLineSetting(p, rest, image.SettingFXS());
    } else if (first.key == "GSM") {
        ++lines;
        ReadGsm(p, rest, image.SettingMOB());
    } else if (first.key == "ALARM") {
        ++lines;
        ReadAlarm(p, rest, image.SettingAlarm());
    } else if (first.key == "AC_CTRL") {
        ++lines;
        ReadAccount(p, rest, image.ControlAccount());
    } else if (first.key == "PASSWORD" && first.hasValue) {
        ++lines;
        // "PASSWORD:" is how an empty password is written.
        TextFits(first.value, 7, true) ? image.SettingPASSWORD().SetPassword(first.value)
                                       : p.Refuse(kPasswordError);
    } else if (first.key == "BL" && !first.value.empty()) {
        const auto k = Dec(first.value, 3);
        if (!k) {
            p.Refuse("");
        } else if (*k < TData::kBlackListEntries) {
            ++lines;
            ReadBlackList(p, rest, image.BlackListEntry(static_cast<int>(*k)));
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
    LineParser parser(op, result);
    ConfigLineReader lines(source);
    std::string line;
    try {
        while (lines.Next(line)) {
            if (!line.empty()) {
                ReadLine(image, line, parser, result.lines);
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
