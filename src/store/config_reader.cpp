#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

enum class Check { kDigit, kHelp, kDigits3, kReference, kDigits5, kHex2 };

std::optional<std::uint64_t> Checked(Check check, std::string_view v) {
    switch (check) {
        case Check::kDigit:
            return Dec(v, 1);
        case Check::kHelp: {
            const auto n = Dec(v, 1);
            return n && *n <= 2 ? n : std::nullopt;
        }
        case Check::kDigits3:
            return Dec(v, 3);
        case Check::kReference:  // a subscriber number - 1, or 65535 for none
            return v == "65535" ? std::optional<std::uint64_t>(kNotSet) : Dec(v, 3);
        case Check::kDigits5:
            return Dec(v, 5);
        case Check::kHex2:
            return Hex(v, 2);
    }
    return std::nullopt;
}

using LineStore = void (*)(LineSettingRecord, unsigned);

struct LineKey {
    std::string_view key;
    Check check;
    LineStore store;
};

// The "FXO" and "FXS" keys. OCM, PM, MLDM, LMDM and VL go through the record's
// own checks, which end the load when they refuse.
constexpr LineKey kLineKeys[] = {
    {"OCM", Check::kDigit, [](LineSettingRecord r, unsigned v) { r.SetOCM(static_cast<int>(v)); }},
    {"PM", Check::kDigit, [](LineSettingRecord r, unsigned v) { r.SetPM(static_cast<int>(v)); }},
    {"MLDM", Check::kDigit,
     [](LineSettingRecord r, unsigned v) { r.SetMLDM(static_cast<int>(v)); }},
    {"MLFT", Check::kDigits3, [](LineSettingRecord, unsigned) {}},
    {"MLNT", Check::kDigits3, [](LineSettingRecord, unsigned) {}},
    {"LMDM", Check::kDigit,
     [](LineSettingRecord r, unsigned v) { r.SetLMDM(static_cast<int>(v)); }},
    {"LMFT", Check::kDigits3, [](LineSettingRecord r, unsigned v) { r.SetLMFT(v & 0xFF); }},
    {"LMNT", Check::kDigits3, [](LineSettingRecord r, unsigned v) { r.SetLMNT(v & 0xFF); }},
    {"FLAG", Check::kHex2,
     [](LineSettingRecord r, unsigned v) { r.SetFLAG(static_cast<std::uint8_t>(v)); }},
    {"PR", Check::kDigits3,
     [](LineSettingRecord r, unsigned v) { r.SetPR(static_cast<std::uint8_t>(v)); }},
    {"VL", Check::kDigit, [](LineSettingRecord r, unsigned v) { r.SetVL(static_cast<int>(v)); }},
    {"MAB", Check::kReference,
     [](LineSettingRecord r, unsigned v) { r.SetMAB(static_cast<std::uint16_t>(v)); }},
    {"OUTLIM", Check::kDigits5,
     [](LineSettingRecord r, unsigned v) { r.SetOUTLIM(std::min(v, 65535u)); }},
    {"INLIM", Check::kDigits5,
     [](LineSettingRecord r, unsigned v) { r.SetINLIM(std::min(v, 65535u)); }},
    {"HLP", Check::kHelp, [](LineSettingRecord r, unsigned v) { r.SetHLP(v); }},
};

void ReadLineSetting(LineParser& p, std::string_view rest, LineSettingRecord r) {
    p.Tokens(rest, [&](std::string_view key, std::string_view v) {
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
        std::optional<std::uint64_t> n = Dec(v, 1);
        if (key == "FLAG") {
            n = Hex(v, 2);
        }
        if (!n) {
            p.Refuse(kGsmError);
        } else if (key == "FLAG") {
            r.SetFLAG(static_cast<std::uint8_t>(*n));
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
            v.empty() || Dec(v, 18) ? r.SetPassword(slot, v) : p.Refuse(kAlarmError);
        } else if (const int position = Slot(key, 'I', 3); position >= 0) {
            // An unset position is written as 65535; it reads back as unset.
            const auto n = v == "65535" ? std::optional<std::uint64_t>(kNotSet) : Dec(v, 3);
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
            Dec(v, 18) ? r.SetNUM(v) : p.Refuse(kBlackListError);
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
            if (Dec(v, 7)) {
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

    // A limit is 1 to 4 digits; 65535 is the blank record's "no limit", which the
    // writer writes for a slot whose limits were never set.
    static std::optional<std::uint64_t> Limit(std::string_view v) {
        return v == "65535" ? std::optional<std::uint64_t>(kNotSet) : Dec(v, 4);
    }

    void Limits(std::string_view v) {
        const auto [in, out] = SplitPair(v);
        const auto limIn = Limit(in);
        const auto limOut = Limit(out);
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

void ReadLine(TData& image, std::string_view line, LineParser& p) {
    const auto comma = line.find(',');
    const Token first = SplitToken(line.substr(0, comma));
    const std::string_view rest =
        comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 1);
    if (first.key == "Ab") {
        const auto n = Dec(first.value, 3);
        if (n && *n >= 1 && *n <= TData::kSubscribers) {
            SubscriberReader(p, image, static_cast<int>(*n)).Read(rest);
        }
    } else if (first.key == "FXO") {
        ReadLineSetting(p, rest, image.SettingFXO());
    } else if (first.key == "FXS") {
        ReadLineSetting(p, rest, image.SettingFXS());
    } else if (first.key == "GSM") {
        ReadGsm(p, rest, image.SettingMOB());
    } else if (first.key == "ALARM") {
        ReadAlarm(p, rest, image.SettingAlarm());
    } else if (first.key == "AC_CTRL") {
        ReadAccount(p, rest, image.ControlAccount());
    } else if (first.key == "PASSWORD" && !first.value.empty()) {
        Dec(first.value, 7) ? image.SettingPASSWORD().SetPassword(first.value)
                            : p.Refuse(kPasswordError);
    } else if (first.key == "BL" && !first.value.empty()) {
        const auto k = Dec(first.value, 3);
        if (!k) {
            p.Refuse("");
        } else if (*k < TData::kBlackListEntries) {
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
        const BlackListRecord entry = image.BlackListEntry(k);
        entry.SetFLAG(BlackListRecord::kEmpty);
        entry.SetGM(0);
        entry.SetNUM("");
    }
}

}  // namespace

ConfigLoadResult ReadConfig(TData& image, ByteSource& source, Operator& op) {
    ConfigLoadResult result;
    result.opened = true;
    LineParser parser(op, result);
    ConfigLineReader lines(source);
    std::string line;
    try {
        while (lines.Next(line)) {
            if (!line.empty()) {
                ReadLine(image, line, parser);
            }
        }
    } catch (const RecordError& error) {
        ++result.messages;
        result.stopped = true;
        op.Error(error.what());
    }
    return result;
}

ConfigLoadResult LoadConfigFile(TData& image, const std::string& path, Operator& op) {
    ResetForLoad(image);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    // A folder opens for reading on Linux but holds no lines: it is no file.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return {};
    }
    ByteSource source(fd, ByteSource::kNoLimit);
    const ConfigLoadResult result = ReadConfig(image, source, op);
    ::close(fd);
    return result;
}

}  // namespace tulvo
