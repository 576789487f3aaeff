#include <algorithm>
#include <cstdio>
#include <string>

#include "store/atomic_file.h"
#include "store/config_file.h"
#include "store/config_line_reader.h"

namespace tulvo {

namespace {

std::string Dec(unsigned long value) {
    return std::to_string(value);
}

std::string Hex(unsigned long value, int minDigits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*lX", minDigits, value);
    return text;
}

// A line break inside a text would end the record's line early and let the
// rest be read as a line of its own, and a ',' would start a token of its own:
// such characters are left out, so no text can add tokens or lines.
std::string Text(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n' || c == ','; });
    return text;
}

// A name keeps its words: a ',' is written as a space (and so as '/').
std::string NameText(std::string name) {
    std::replace(name.begin(), name.end(), ',', ' ');
    return Text(std::move(name));
}

class LineWriter {
  public:
    explicit LineWriter(std::string head) : line_(std::move(head)) {}
    LineWriter& Add(std::string_view key, const std::string& value) {
        line_ += ',';
        line_ += key;
        line_ += ':';
        line_ += value;
        return *this;
    }
    std::string Line() const { return line_; }

  private:
    std::string line_;
};

std::string LineSettingLine(const char* head, ConstLineSettingRecord r) {
    return LineWriter(head)
        .Add("OCM", Dec(r.OCM()))
        .Add("PM", Dec(r.PM()))
        .Add("MLDM", Dec(r.MLDM()))
        .Add("MLFT", Dec(r.MLFT()))
        .Add("MLNT", Dec(r.MLNT()))
        .Add("LMDM", Dec(r.LMDM()))
        .Add("LMFT", Dec(r.LMFT() & 0xFF))  // a byte in a 16-bit field
        .Add("LMNT", Dec(r.LMNT() & 0xFF))
        .Add("FLAG", Hex(r.FLAG(), 2))
        .Add("PR", Dec(r.PR()))
        .Add("VL", Dec(r.VL()))
        .Add("MAB", Dec(r.MAB()))
        .Add("OUTLIM", Dec(r.OUTLIM()))
        .Add("INLIM", Dec(r.INLIM()))
        .Add("HLP", Dec(r.HLP()))
        .Line();
}

std::string GsmLine(ConstMobSettingRecord r) {
    return LineWriter("GSM")
        .Add("FLAG", Hex(r.FLAG(), 2))
        .Add("RM", Dec(r.RM()))
        .Add("RP", Text(r.RP()))
        .Line();
}

std::string AlarmLine(ConstAlarmSettingRecord r) {
    LineWriter line("ALARM");
    line.Add("EM", Hex(r.EM(), 2)).Add("MM", Hex(r.MM(), 8));
    for (int slot = 0; slot < 5; ++slot) {
        line.Add("P" + Dec(slot), Text(r.Password(slot)));
    }
    line.Add("I0", "0");
    for (int position = 1; position <= 3; ++position) {
        line.Add("I" + Dec(position), Dec(static_cast<std::uint16_t>(r.AbName(position))));
    }
    line.Add("T0", "0");
    for (int channel = 1; channel <= 3; ++channel) {
        line.Add("T" + Dec(channel), Dec(r.InTimeout(channel)));
    }
    return line.Add("FLAG", Hex(r.FLAG(), 2)).Line();
}

std::string BlackListLine(int k, ConstBlackListRecord r) {
    return LineWriter("BL:" + Dec(k))
        .Add("GM", Hex(r.GM(), 2))
        .Add("FLAG", Hex(r.bytes()[0], 2))
        .Add("NUM", Text(r.NUM()))
        .Line();
}

std::string SubscriberLine(const TData& image, int n) {
    const ConstAbInfoRecord info = image.AbInfo(n);
    const ConstAbPhoneRecord phone = image.AbPhone(n);
    LineWriter line("Ab:" + Dec(n));
    line.Add("ID", Hex(info.ID(), 4))
        .Add("Lim", Dec(info.LimIn()) + "/" + Dec(info.LimOut()))
        .Add("LM", Hex(info.LM() | 0x38, 2))
        .Add("DL", Dec(info.DL()))
        .Add("Gr", Hex(info.Gr(), 2));
    const std::string password = Text(info.Password());
    if (!password.empty()) {
        line.Add("Password", password);
    }
    std::string numbers = Text(phone.PhoneIn());
    const std::string second = Text(phone.PhoneOut());
    if (!second.empty()) {
        numbers += "/" + second;
    }
    line.Add("FLAG", Hex(info.bytes()[0], 2)).Add("Ph", numbers);
    std::string text = line.Add("FNS", NameText(image.Name(n).AbFNS)).Line();
    std::replace(text.begin(), text.end(), ' ', '/');
    // The name is the last token: cutting the line shortens only the name.
    if (text.size() > ConfigLineReader::kMaxLine) {
        text.resize(ConfigLineReader::kMaxLine);
    }
    return text;
}

std::string AccountLine(ConstControlAccountRecord r) {
    LineWriter line("AC_CTRL");
    line.Add("TO1", Dec(r.TO1()))
        .Add("USSD", Text(r.USSD()))
        .Add("UNIT", Text(r.UNIT()))
        .Add("AL", Dec(r.AL()));
    for (int i = 0; i < 4; ++i) {
        line.Add("AB" + Dec(i + 1), Dec(static_cast<std::uint16_t>(r.AB(i))));
    }
    return line.Line();
}

}  // namespace

std::string WriteConfigText(const TData& image) {
    std::string out;
    auto emit = [&out](const std::string& line) {
        out += line;
        out += "\r\n";
    };
    emit(LineSettingLine("FXO", image.SettingFXO()));
    emit(LineSettingLine("FXS", image.SettingFXS()));
    emit(GsmLine(image.SettingMOB()));
    emit("PASSWORD:" + Text(image.SettingPASSWORD().Password()));
    emit(AlarmLine(image.SettingAlarm()));
    for (int k = 0; k < TData::kBlackListEntries - 1; ++k) {
        if (!image.BlackListEntry(k).Empty()) {
            emit(BlackListLine(k, image.BlackListEntry(k)));
        }
    }
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        if (!image.AbInfo(n).Empty()) {
            emit(SubscriberLine(image, n));
        }
    }
    emit(AccountLine(image.ControlAccount()));
    return out;
}

bool SaveConfigFile(const TData& image, const std::string& path, Operator& op) {
    // A file that is replaced keeps its permissions; a new one follows the umask.
    if (!WriteFileAtomically(path, WriteConfigText(image))) {
        op.Error("Невозможно сохранить файл " + path + "!");
        return false;
    }
    return true;
}

}  // namespace tulvo
