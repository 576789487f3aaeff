#include "sync/image_transfer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "model/t_data.h"

namespace tulvo {

namespace {

constexpr std::uint8_t kDone = 0;
constexpr std::uint8_t kEmptyEntry = 2;

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

}  // namespace

ImageTransfer::ImageTransfer(TData& image, TPortMost& port, Operator& op,
                             TransferProgress& progress)
    : image_(image), port_(port), op_(op), progress_(progress) {}

void ImageTransfer::Tell(const char* text) {
    problemsTold_ = true;
    op_.Message(text);
}

void ImageTransfer::TellSlot(const char* text, int n) {
    problemsTold_ = true;
    op_.Message(std::string(text) + std::to_string(n));
}

std::string ImageTransfer::Named(const char* record, int number) {
    return std::string(record) + std::to_string(number);
}

// Without verification one reply is taken. With it, the record is read
// until two replies in a row agree, at most kVerifyReads times: the link's
// checksum cannot see every damaged byte, but such damage does not repeat.
ImageTransfer::Reading ImageTransfer::ReadRecord(const RecordRead& read,
                                                 std::span<std::uint8_t> work, std::uint8_t& status,
                                                 const std::string& name) {
    if (!read(work, status)) {
        return Reading::LinkFailed;
    }
    if (!verify_) {
        return Reading::Done;
    }
    std::array<std::uint8_t, TPortMost::kMaxPayload> previous{};
    for (int reads = 1; reads < kVerifyReads; ++reads) {
        std::copy(work.begin(), work.end(), previous.begin());
        const std::uint8_t previousStatus = status;
        if (Stopped() || !read(work, status)) {
            return Reading::LinkFailed;
        }
        if (status == previousStatus && std::equal(work.begin(), work.end(), previous.begin())) {
            return Reading::Done;
        }
    }
    Tell(("Данные не совпадают при повторном чтении: " + name + "!").c_str());
    return Reading::Unstable;
}

bool ImageTransfer::Failed(Reading reading) {
    if (reading == Reading::LinkFailed) {
        LinkFailed();
    }
    return reading != Reading::Done;
}

// A stop ends the transfer before its next transaction, without a message:
// whoever asked for it knows why.
bool ImageTransfer::Stopped() const {
    return progress_.StopRequested();
}

// A network port's connection that ended says so in the detail text.
bool ImageTransfer::LinkFailed() {
    problemsTold_ = true;
    op_.MessageWithDetail(texts::kLinkError, port_.LastLinkError());
    return false;
}

bool ImageTransfer::ReadSubscribers() {
    progress_.BeginStage(TransferProgress::Stage::Subscribers, TData::kSubscribers);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        if (Stopped()) {
            return false;
        }
        progress_.Advance();
        if (!ReadSubscriber(n)) {
            return false;
        }
        progress_.StageDone(n);
    }
    return true;
}

// One slot. The work records start blank for every slot, so a short reply
// can never carry the previous slot's bytes into this one.
bool ImageTransfer::ReadSubscriber(int n) {
    WorkSlot work;
    work.BlankAll(n);
    std::uint8_t status = 0;
    if (Failed(ReadRecord([&](auto data, auto& s) { return port_.ReadAbInfo(n, data, s); },
                          work.info, status, Named("AbInfo", n)))) {
        return false;
    }
    NameEntry& name = image_.Name(n);
    if (status == kDone) {
        std::uint8_t phoneStatus = 0;
        if (Failed(ReadRecord([&](auto data, auto& s) { return port_.ReadAbPhone(n, data, s); },
                              work.phone, phoneStatus, Named("AbPhone", n)))) {
            return false;
        }
        if (phoneStatus != kDone) {
            TellSlot(texts::kReadPhoneError, n);
            work.BlankPhone(n);
        } else if (static_cast<std::uint32_t>(name.AbIdCod) != work.Info().ID()) {
            name.AbFNS.clear();
        }
        std::uint8_t limitStatus = 0;
        if (Failed(ReadRecord([&](auto data, auto& s) { return port_.ReadAbLimit(n, data, s); },
                              work.limit, limitStatus, Named("AbLimit", n)))) {
            return false;
        }
        if (limitStatus != kDone) {
            if (limitStatus != kEmptyEntry) {
                TellSlot(texts::kReadTotalLimitError, n);
            }
            work.Limit().Reset();
        }
    } else {
        work.BlankAll(n);
        name.AbFNS.clear();
        if (status != kEmptyEntry) {
            TellSlot(texts::kReadSubscriberError, n);
        }
    }
    std::copy(work.info.begin(), work.info.end(), image_.AbInfo(n).bytes().begin());
    std::copy(work.phone.begin(), work.phone.end(), image_.AbPhone(n).bytes().begin());
    std::copy(work.limit.begin(), work.limit.end(), image_.AbLimit(n).bytes().begin());
    return true;
}

bool ImageTransfer::WriteSubscribers() {
    progress_.BeginStage(TransferProgress::Stage::Subscribers, TData::kSubscribers);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        if (Stopped()) {
            return false;
        }
        progress_.Advance();
        if (!WriteSubscriber(n)) {
            return false;
        }
        progress_.StageDone(n);
    }
    return true;
}

// One slot; false only when the link failed.
bool ImageTransfer::WriteSubscriber(int n) {
    std::uint8_t status = 0;
    if (!port_.WriteAbInfo(n, image_.AbInfo(n).bytes(), status)) {
        return LinkFailed();
    }
    if (status != kDone) {
        TellSlot(texts::kWriteSubscriberError, n);
        return true;
    }
    AbPhoneRecord phone = image_.AbPhone(n);
    phone.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
    if (!port_.WriteAbPhone(n, phone.bytes(), status)) {
        return LinkFailed();
    }
    if (status != kDone) {
        TellSlot(texts::kWritePhoneError, n);
    }
    return true;
}

bool ImageTransfer::RunBlocks(const std::array<BlockStep, 5>& steps, bool reading) {
    progress_.BeginStage(TransferProgress::Stage::Settings, static_cast<int>(steps.size()));
    int done = 0;
    for (const BlockStep& step : steps) {
        if (Stopped()) {
            return false;
        }
        std::array<std::uint8_t, TPortMost::kMaxPayload> scratch{};
        const std::span<std::uint8_t> buffer =
            reading ? std::span<std::uint8_t>(scratch).first(step.record.size()) : step.record;
        std::uint8_t status = 0;
        auto transfer = [&](std::span<std::uint8_t> data, std::uint8_t& s) {
            return (port_.*step.transfer)(data, s);
        };
        if (reading) {
            if (Failed(ReadRecord(transfer, buffer, status, step.name))) {
                return false;
            }
        } else if (!transfer(buffer, status)) {
            return LinkFailed();
        }
        if (status != kDone) {
            Tell(step.refused);
            return false;
        }
        if (reading) {
            std::copy(buffer.begin(), buffer.end(), step.record.begin());
        }
        progress_.StageDone(++done);
    }
    return true;
}

bool ImageTransfer::ReadSettings() {
    return RunBlocks({{{&TPortMost::ReadSettingFXO, image_.SettingFXO().bytes(),
                        texts::kReadFxoError, "SettingFXO"},
                       {&TPortMost::ReadSettingFXS, image_.SettingFXS().bytes(),
                        texts::kReadFxsError, "SettingFXS"},
                       {&TPortMost::ReadSettingMOB, image_.SettingMOB().bytes(),
                        texts::kReadMobError, "SettingMOB"},
                       {&TPortMost::ReadSettingPASSWORD, image_.SettingPASSWORD().bytes(),
                        texts::kReadPasswordError, "SettingPASSWORD"},
                       {&TPortMost::ReadControlAccount, image_.ControlAccount().bytes(),
                        texts::kReadAccountError, "ControlAccount"}}},
                     true);
}

bool ImageTransfer::WriteSettings() {
    return RunBlocks({{{&TPortMost::WriteSettingFXO, image_.SettingFXO().bytes(),
                        texts::kWriteFxoError, "SettingFXO"},
                       {&TPortMost::WriteSettingFXS, image_.SettingFXS().bytes(),
                        texts::kWriteFxsError, "SettingFXS"},
                       {&TPortMost::WriteSettingMOB, image_.SettingMOB().bytes(),
                        texts::kWriteMobError, "SettingMOB"},
                       {&TPortMost::WriteSettingPASSWORD, image_.SettingPASSWORD().bytes(),
                        texts::kWritePasswordError, "SettingPASSWORD"},
                       {&TPortMost::WriteControlAccount, image_.ControlAccount().bytes(),
                        texts::kWriteAccountError, "ControlAccount"}}},
                     false);
}

bool ImageTransfer::ReadAlarm() {
    progress_.BeginStage(TransferProgress::Stage::Alarm, 1);
    if (Stopped()) {
        return false;
    }
    std::array<std::uint8_t, AlarmSettingRecord::kSize> work{};
    std::uint8_t status = 0;
    if (Failed(ReadRecord([&](auto data, auto& s) { return port_.ReadSettingAlarm(data, s); }, work,
                          status, "SettingAlarm"))) {
        return false;
    }
    if (status != kDone) {
        Tell(texts::kReadAlarmError);
        return false;
    }
    std::copy(work.begin(), work.end(), image_.SettingAlarm().bytes().begin());
    progress_.StageDone(1);
    return true;
}

bool ImageTransfer::WriteAlarm() {
    progress_.BeginStage(TransferProgress::Stage::Alarm, 1);
    if (Stopped()) {
        return false;
    }
    std::uint8_t status = 0;
    if (!port_.WriteSettingAlarm(image_.SettingAlarm().bytes(), status)) {
        return LinkFailed();
    }
    if (status != kDone) {
        Tell(texts::kWriteAlarmError);
        return false;
    }
    progress_.StageDone(1);
    return true;
}

// An entry the gateway reports empty is blank in the image too: keeping the
// old entry would send it back with the next write.
bool ImageTransfer::ReadBlackList() {
    progress_.BeginStage(TransferProgress::Stage::BlackList, kBlackListTransferred);
    for (int n = 1; n <= kBlackListTransferred; ++n) {
        if (Stopped()) {
            return false;
        }
        std::array<std::uint8_t, BlackListRecord::kSize> work{};
        std::uint8_t status = 0;
        const Reading reading =
            ReadRecord([&](auto data, auto& s) { return port_.ReadBlackListEntry(n, data, s); },
                       work, status, Named("BlackList", n - 1));
        if (reading == Reading::Unstable) {
            return false;
        }
        const bool replied = reading == Reading::Done;
        BlackListRecord entry = image_.BlackListEntry(n - 1);
        if (replied && status == kDone) {
            std::copy(work.begin(), work.end(), entry.bytes().begin());
            NormaliseBlackListEntry(entry);
        } else if (replied && status == kEmptyEntry) {
            entry.Reset();
        } else {
            Tell(texts::kReadBlackListError);
            return true;
        }
        progress_.Advance();
        progress_.StageDone(n);
    }
    return true;
}

bool ImageTransfer::WriteBlackList() {
    progress_.BeginStage(TransferProgress::Stage::BlackList, kBlackListTransferred);
    for (int n = 1; n <= kBlackListTransferred; ++n) {
        if (Stopped()) {
            return false;
        }
        std::uint8_t status = 0;
        if (!port_.WriteBlackListEntry(n, image_.BlackListEntry(n - 1).bytes(), status) ||
            status != kDone) {
            Tell(texts::kWriteBlackListError);
            return false;
        }
        progress_.Advance();
        progress_.StageDone(n);
    }
    return true;
}

bool ImageTransfer::ReadSMSMessages() {
    progress_.BeginStage(TransferProgress::Stage::Sms, TData::kSmsMessages);
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        if (Stopped()) {
            return false;
        }
        std::array<std::uint8_t, SmsMessageRecord::kSize> work{};
        std::uint8_t status = 0;
        const Reading reading =
            ReadRecord([&](auto data, auto& s) { return port_.ReadSMSMessage(m, data, s); }, work,
                       status, Named("SMSMessage", m));
        if (reading == Reading::Unstable) {
            return false;
        }
        const bool replied = reading == Reading::Done;
        if (replied && status == kDone) {
            std::copy(work.begin(), work.end(), image_.SMSMessage(m).bytes().begin());
        } else if (replied && status == kEmptyEntry) {
            image_.SMSMessage(m).Reset();
        } else {
            Tell(texts::kReadSmsError);
            return true;
        }
        progress_.StageDone(m + 1);
    }
    return true;
}

bool ImageTransfer::WriteSMSMessages() {
    progress_.BeginStage(TransferProgress::Stage::Sms, TData::kSmsMessages);
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        if (Stopped()) {
            return false;
        }
        std::uint8_t status = 0;
        if (!port_.WriteSMSMessage(m, image_.SMSMessage(m).bytes(), status) || status != kDone) {
            Tell(texts::kWriteSmsError);
            return false;
        }
        progress_.StageDone(m + 1);
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
