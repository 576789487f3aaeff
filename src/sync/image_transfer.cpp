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

// One settings block: its transfer, its record in the image, and its
// refusal message. A read lands in a scratch record and reaches the image
// only when the gateway says it is done.
struct BlockStep {
    bool (TPortMost::*transfer)(std::span<std::uint8_t>, std::uint8_t&);
    std::span<std::uint8_t> record;
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
    if (!port_.ReadAbInfo(n, work.info, status)) {
        return LinkFailed();
    }
    NameEntry& name = image_.Name(n);
    if (status == kDone) {
        std::uint8_t phoneStatus = 0;
        if (!port_.ReadAbPhone(n, work.phone, phoneStatus)) {
            return LinkFailed();
        }
        if (phoneStatus != kDone) {
            TellSlot("Ошибка чтения телефона! №", n);
            work.BlankPhone(n);
        } else if (static_cast<std::uint32_t>(name.AbIdCod) != work.Info().ID()) {
            name.AbFNS.clear();
        }
        std::uint8_t limitStatus = 0;
        if (!port_.ReadAbLimit(n, work.limit, limitStatus)) {
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
        if (!port_.WriteAbInfo(n, image_.AbInfo(n).bytes(), status)) {
            return LinkFailed();
        }
        if (status != kDone) {
            TellSlot("Ошибка записи абонента! №", n);
            continue;
        }
        AbPhoneRecord phone = image_.AbPhone(n);
        phone.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
        if (!port_.WriteAbPhone(n, phone.bytes(), status)) {
            return LinkFailed();
        }
        if (status != kDone) {
            TellSlot("Ошибка записи телефона! №", n);
        }
    }
    return true;
}

namespace {

bool RunBlocks(TPortMost& port, Operator& op, const std::array<BlockStep, 5>& steps, bool reading) {
    for (const BlockStep& step : steps) {
        std::array<std::uint8_t, TPortMost::kMaxPayload> scratch{};
        const std::span<std::uint8_t> buffer =
            reading ? std::span<std::uint8_t>(scratch).first(step.record.size()) : step.record;
        std::uint8_t status = 0;
        if (!(port.*step.transfer)(buffer, status)) {
            op.Message(kLinkError);
            return false;
        }
        if (status != kDone) {
            op.Message(step.refused);
            return false;
        }
        if (reading) {
            std::copy(buffer.begin(), buffer.end(), step.record.begin());
        }
    }
    return true;
}

}  // namespace

bool ImageTransfer::ReadSettings() {
    return RunBlocks(
        port_, op_,
        {{{&TPortMost::ReadSettingFXO, image_.SettingFXO().bytes(), "Ошибка чтения FXO!"},
          {&TPortMost::ReadSettingFXS, image_.SettingFXS().bytes(), "Ошибка чтения FXS!"},
          {&TPortMost::ReadSettingMOB, image_.SettingMOB().bytes(), "Ошибка чтения MOB!"},
          {&TPortMost::ReadSettingPASSWORD, image_.SettingPASSWORD().bytes(),
           "Ошибка чтения пароля администратора!"},
          {&TPortMost::ReadControlAccount, image_.ControlAccount().bytes(), "Ошибка чтения!"}}},
        true);
}

bool ImageTransfer::WriteSettings() {
    return RunBlocks(
        port_, op_,
        {{{&TPortMost::WriteSettingFXO, image_.SettingFXO().bytes(), "Ошибка записи FXO!"},
          {&TPortMost::WriteSettingFXS, image_.SettingFXS().bytes(), "Ошибка записи FXS!"},
          {&TPortMost::WriteSettingMOB, image_.SettingMOB().bytes(), "Ошибка записи MOB!"},
          {&TPortMost::WriteSettingPASSWORD, image_.SettingPASSWORD().bytes(),
           "Ошибка записи пароля администратора!"},
          {&TPortMost::WriteControlAccount, image_.ControlAccount().bytes(),
           "Ошибка записи в устройство!"}}},
        false);
}

bool ImageTransfer::ReadAlarm() {
    std::array<std::uint8_t, AlarmSettingRecord::kSize> work{};
    std::uint8_t status = 0;
    if (!port_.ReadSettingAlarm(work, status)) {
        return LinkFailed();
    }
    if (status != kDone) {
        Tell("Ошибка чтения параметров оповещения!");
        return false;
    }
    std::copy(work.begin(), work.end(), image_.SettingAlarm().bytes().begin());
    return true;
}

bool ImageTransfer::WriteAlarm() {
    std::uint8_t status = 0;
    if (!port_.WriteSettingAlarm(image_.SettingAlarm().bytes(), status)) {
        return LinkFailed();
    }
    if (status != kDone) {
        Tell("Ошибка записи параметров оповещения!");
        return false;
    }
    return true;
}

// An entry the gateway reports empty is blank in the image too: keeping the
// old entry would send it back with the next write.
bool ImageTransfer::ReadBlackList() {
    for (int n = 1; n <= kBlackListTransferred; ++n) {
        std::array<std::uint8_t, BlackListRecord::kSize> work{};
        std::uint8_t status = 0;
        const bool replied = port_.ReadBlackListEntry(n, work, status);
        BlackListRecord entry = image_.BlackListEntry(n - 1);
        if (replied && status == kDone) {
            std::copy(work.begin(), work.end(), entry.bytes().begin());
            NormaliseBlackListEntry(entry);
        } else if (replied && status == kEmptyEntry) {
            entry.Reset();
        } else {
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
        if (!port_.WriteBlackListEntry(n, image_.BlackListEntry(n - 1).bytes(), status) ||
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
        const bool replied = port_.ReadSMSMessage(m, work, status);
        if (replied && status == kDone) {
            std::copy(work.begin(), work.end(), image_.SMSMessage(m).bytes().begin());
        } else if (replied && status == kEmptyEntry) {
            image_.SMSMessage(m).Reset();
        } else {
            Tell("Ошибка при чтении SMS сообщений!");
            return true;
        }
    }
    return true;
}

bool ImageTransfer::WriteSMSMessages() {
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        std::uint8_t status = 0;
        if (!port_.WriteSMSMessage(m, image_.SMSMessage(m).bytes(), status) || status != kDone) {
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
