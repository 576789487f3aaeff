#include "sync/image_transfer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/t_data.h"

namespace tulvo {

namespace {

constexpr std::uint8_t kDone = 0;
constexpr std::uint8_t kEmptyEntry = 2;

constexpr const char* kLinkError = "Ошибка связи с устройством!";

// Blank work records for one subscriber slot, reset as a read goes along.
struct WorkSlot {
    std::array<std::uint8_t, AbInfoRecord::kSize> info{};
    std::array<std::uint8_t, AbPhoneRecord::kSize> phone{};
    std::array<std::uint8_t, AbLimitRecord::kSize> limit{};

    AbInfoRecord Info() { return AbInfoRecord(info); }
    AbPhoneRecord Phone() { return AbPhoneRecord(phone); }
    AbLimitRecord Limit() { return AbLimitRecord(limit); }

    void BlankPhone(int n) {
        Phone().Reset();
        Phone().SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
    }
    void BlankAll(int n) {
        Info().Reset();
        BlankPhone(n);
        Limit().Reset();
    }
};

// Flags with bit 7 clear and bits 0 and 1 equal are stored with bit 7 set:
// the gateway marks such an entry unused in its own way.
void NormaliseBlackListEntry(BlackListRecord entry) {
    const std::uint8_t flags = entry.bytes()[0];
    const bool blackEqualsWhite = ((flags >> 0) & 1) == ((flags >> 1) & 1);
    if ((flags & BlackListRecord::kEmpty) == 0 && blackEqualsWhite) {
        entry.bytes()[0] = static_cast<std::uint8_t>(flags | BlackListRecord::kEmpty);
        entry.UpdateChecksum();
    }
}

// How often a record is asked for again when its reply comes back short.
constexpr int kShortReplyAttempts = 5;

// Issues a read until its reply is usable. A reply with status 0 must carry
// the whole record: a frame cut short by a damaged byte still passes the
// payload checksum whenever the checksum of the part that arrived happens
// to be 0, and taking it would leave a record with a stale tail. Such a
// reply is asked for again; when it keeps coming back short the read counts
// as a failed transaction. Replies with another status may carry less.
template <typename Request>
bool ReadWhole(TPortMost& port, std::size_t size, std::uint8_t& status, Request&& request) {
    for (int attempt = 0; attempt < kShortReplyAttempts; ++attempt) {
        if (!request(status)) {
            return false;
        }
        if (status != kDone || port.LastReplyLength() >= size) {
            return true;
        }
    }
    return false;
}

// One settings block: its transfer, its size when it is read (0 for a
// write) and its refusal message.
struct BlockStep {
    bool (TPortMost::*transfer)(std::uint8_t*, std::uint8_t&);
    std::uint8_t* data;
    std::size_t readSize;
    const char* refused;
};

}  // namespace

ImageTransfer::ImageTransfer(TData& image, TPortMost& port, Operator& op,
                             TransferProgress& progress)
    : image_(image), port_(port), op_(op), progress_(progress) {}

void ImageTransfer::Tell(const char* text) {
    op_.Message(text);
}

void ImageTransfer::TellSlot(const char* text, int n) {
    op_.Message(std::string(text) + std::to_string(n));
}

bool ImageTransfer::LinkFailed() {
    Tell(kLinkError);
    return false;
}

bool ImageTransfer::ReadSubscribers() {
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        progress_.Advance();
        if (!ReadSubscriber(n)) {
            return false;
        }
    }
    return true;
}

// One slot. The work records start blank for every slot, so a short reply
// can never carry the previous slot's bytes into this one.
bool ImageTransfer::ReadSubscriber(int n) {
    WorkSlot work;
    work.BlankAll(n);
    std::uint8_t status = 0;
    if (!ReadWhole(port_, work.info.size(), status,
                   [&](std::uint8_t& s) { return port_.ReadAbInfo(n, work.info.data(), s); })) {
        return LinkFailed();
    }
    NameEntry& name = image_.Name(n);
    if (status == kDone) {
        std::uint8_t phoneStatus = 0;
        if (!ReadWhole(port_, work.phone.size(), phoneStatus, [&](std::uint8_t& s) {
                return port_.ReadAbPhone(n, work.phone.data(), s);
            })) {
            return LinkFailed();
        }
        if (phoneStatus != kDone) {
            TellSlot("Ошибка чтения телефона! №", n);
            work.BlankPhone(n);
        } else if (static_cast<std::uint32_t>(name.AbIdCod) != work.Info().ID()) {
            name.AbFNS.clear();
        }
        std::uint8_t limitStatus = 0;
        if (!ReadWhole(port_, work.limit.size(), limitStatus, [&](std::uint8_t& s) {
                return port_.ReadAbLimit(n, work.limit.data(), s);
            })) {
            return LinkFailed();
        }
        if (limitStatus != kDone) {
            if (limitStatus != kEmptyEntry) {
                TellSlot("Ошибка при чтении общего лимита! №", n);
            }
            work.Limit().Reset();
        }
    } else {
        work.BlankAll(n);
        name.AbFNS.clear();
        if (status != kEmptyEntry) {
            TellSlot("Ошибка чтения абонента! №", n);
        }
    }
    std::copy(work.info.begin(), work.info.end(), image_.AbInfo(n).bytes().begin());
    std::copy(work.phone.begin(), work.phone.end(), image_.AbPhone(n).bytes().begin());
    std::copy(work.limit.begin(), work.limit.end(), image_.AbLimit(n).bytes().begin());
    return true;
}

bool ImageTransfer::WriteSubscribers() {
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        progress_.Advance();
        std::uint8_t status = 0;
        if (!port_.WriteAbInfo(n, image_.AbInfo(n).bytes().data(), status)) {
            return LinkFailed();
        }
        if (status != kDone) {
            TellSlot("Ошибка записи абонента! №", n);
            continue;
        }
        AbPhoneRecord phone = image_.AbPhone(n);
        phone.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
        if (!port_.WriteAbPhone(n, phone.bytes().data(), status)) {
            return LinkFailed();
        }
        if (status != kDone) {
            TellSlot("Ошибка записи телефона! №", n);
        }
    }
    return true;
}

namespace {

bool RunBlocks(TPortMost& port, Operator& op, const std::array<BlockStep, 5>& steps) {
    for (const BlockStep& step : steps) {
        std::uint8_t status = 0;
        auto transfer = [&](std::uint8_t& s) { return (port.*step.transfer)(step.data, s); };
        if (!ReadWhole(port, step.readSize, status, transfer)) {
            op.Message(kLinkError);
            return false;
        }
        if (status != kDone) {
            op.Message(step.refused);
            return false;
        }
    }
    return true;
}

}  // namespace

bool ImageTransfer::ReadSettings() {
    const auto fxo = image_.SettingFXO(), fxs = image_.SettingFXS();
    const auto mob = image_.SettingMOB();
    const auto password = image_.SettingPASSWORD();
    const auto account = image_.ControlAccount();
    return RunBlocks(
        port_, op_,
        {{{&TPortMost::ReadSettingFXO, fxo.bytes().data(), fxo.kSize, "Ошибка чтения FXO!"},
          {&TPortMost::ReadSettingFXS, fxs.bytes().data(), fxs.kSize, "Ошибка чтения FXS!"},
          {&TPortMost::ReadSettingMOB, mob.bytes().data(), mob.kSize, "Ошибка чтения MOB!"},
          {&TPortMost::ReadSettingPASSWORD, password.bytes().data(), password.kSize,
           "Ошибка чтения пароля администратора!"},
          {&TPortMost::ReadControlAccount, account.bytes().data(), account.kSize,
           "Ошибка чтения!"}}});
}

bool ImageTransfer::WriteSettings() {
    return RunBlocks(port_, op_,
                     {{{&TPortMost::WriteSettingFXO, image_.SettingFXO().bytes().data(), 0,
                        "Ошибка записи FXO!"},
                       {&TPortMost::WriteSettingFXS, image_.SettingFXS().bytes().data(), 0,
                        "Ошибка записи FXS!"},
                       {&TPortMost::WriteSettingMOB, image_.SettingMOB().bytes().data(), 0,
                        "Ошибка записи MOB!"},
                       {&TPortMost::WriteSettingPASSWORD, image_.SettingPASSWORD().bytes().data(),
                        0, "Ошибка записи пароля администратора!"},
                       {&TPortMost::WriteControlAccount, image_.ControlAccount().bytes().data(), 0,
                        "Ошибка записи в устройство!"}}});
}

bool ImageTransfer::ReadAlarm() {
    std::uint8_t status = 0;
    AlarmSettingRecord alarm = image_.SettingAlarm();
    if (!ReadWhole(port_, alarm.kSize, status, [&](std::uint8_t& s) {
            return port_.ReadSettingAlarm(alarm.bytes().data(), s);
        })) {
        return LinkFailed();
    }
    if (status != kDone) {
        Tell("Ошибка чтения параметров оповещения!");
        return false;
    }
    return true;
}

bool ImageTransfer::WriteAlarm() {
    std::uint8_t status = 0;
    if (!port_.WriteSettingAlarm(image_.SettingAlarm().bytes().data(), status)) {
        return LinkFailed();
    }
    if (status != kDone) {
        Tell("Ошибка записи параметров оповещения!");
        return false;
    }
    return true;
}

bool ImageTransfer::ReadBlackList() {
    for (int n = 1; n <= kBlackListTransferred; ++n) {
        BlackListRecord entry = image_.BlackListEntry(n - 1);
        std::uint8_t status = 0;
        const bool replied = ReadWhole(port_, entry.kSize, status, [&](std::uint8_t& s) {
            return port_.ReadBlackListEntry(n, entry.bytes().data(), s);
        });
        if (replied && status == kDone) {
            NormaliseBlackListEntry(entry);
        } else if (!replied || status != kEmptyEntry) {
            Tell("Ошибка чтения черного списка!");
            return true;
        }
        progress_.Advance();
    }
    return true;
}

bool ImageTransfer::WriteBlackList() {
    for (int n = 1; n <= kBlackListTransferred; ++n) {
        std::uint8_t status = 0;
        if (!port_.WriteBlackListEntry(n, image_.BlackListEntry(n - 1).bytes().data(), status) ||
            status != kDone) {
            Tell("Ошибка записи черного списка!");
            return false;
        }
        progress_.Advance();
    }
    return true;
}

bool ImageTransfer::ReadSMSMessages() {
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        std::array<std::uint8_t, SmsMessageRecord::kSize> work{};
        std::uint8_t status = 0;
        const bool replied = ReadWhole(port_, work.size(), status, [&](std::uint8_t& s) {
            return port_.ReadSMSMessage(m, work.data(), s);
        });
        if (replied && status == kDone) {
            std::copy(work.begin(), work.end(), image_.SMSMessage(m).bytes().begin());
        } else if (!replied || status != kEmptyEntry) {
            Tell("Ошибка при чтении SMS сообщений!");
            return true;
        }
    }
    return true;
}

bool ImageTransfer::WriteSMSMessages() {
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        std::uint8_t status = 0;
        if (!port_.WriteSMSMessage(m, image_.SMSMessage(m).bytes().data(), status) ||
            status != kDone) {
            Tell("Ошибка записи SMS сообщения!");
            return false;
        }
    }
    return true;
}

bool ImageTransfer::FullRead() {
    return ReadSubscribers() && ReadSettings() && ReadAlarm() && ReadBlackList() &&
           ReadSMSMessages();
}

bool ImageTransfer::FullWrite() {
    return WriteSubscribers() && WriteSettings() && WriteAlarm() && WriteBlackList() &&
           WriteSMSMessages();
}

}  // namespace tulvo
