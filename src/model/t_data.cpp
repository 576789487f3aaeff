#include "model/t_data.h"

#include <stdexcept>
#include <string>

namespace tulvo {

namespace {
std::size_t Checked(int index, int first, int last, const char* what) {
    if (index < first || index > last) {
        throw std::out_of_range(std::string("TData: ") + what + " " + std::to_string(index) +
                                " out of range");
    }
    return static_cast<std::size_t>(index);
}

std::size_t SubscriberElement(int n) {
    return Checked(n, 1, TData::kSubscribers, "subscriber") - 1;
}

template <typename View, typename Array>
View ViewOf(Array& bytes) {
    return View(typename View::Bytes(bytes.data(), View::kSize));
}
}  // namespace

TData::TData() {
    for (int n = 1; n <= kSubscribers; ++n) {
        AbInfo(n).Reset();
        AbLimit(n).Reset();
        AbPhone(n).Reset();
    }
    // SettingFXO and SettingFXS stay all zero, a valid record.
    SettingMOB().Reset();
    SettingPASSWORD().Reset();
    SettingAlarm().Reset();
    for (int k = 0; k < kBlackListEntries; ++k) {
        BlackListEntry(k).Reset();
    }
    // SMS messages stay all zero, a valid empty text.
    ControlAccount().Reset();
}

AbInfoRecord TData::AbInfo(int n) {
    return ViewOf<AbInfoRecord>(abInfo_[SubscriberElement(n)]);
}
ConstAbInfoRecord TData::AbInfo(int n) const {
    return ViewOf<ConstAbInfoRecord>(abInfo_[SubscriberElement(n)]);
}
AbLimitRecord TData::AbLimit(int n) {
    return ViewOf<AbLimitRecord>(abLimit_[SubscriberElement(n)]);
}
ConstAbLimitRecord TData::AbLimit(int n) const {
    return ViewOf<ConstAbLimitRecord>(abLimit_[SubscriberElement(n)]);
}
AbPhoneRecord TData::AbPhone(int n) {
    return ViewOf<AbPhoneRecord>(abPhone_[SubscriberElement(n)]);
}
ConstAbPhoneRecord TData::AbPhone(int n) const {
    return ViewOf<ConstAbPhoneRecord>(abPhone_[SubscriberElement(n)]);
}

std::uint32_t TData::NextIdCode() const {
    // An ID with bit 31 set reads as negative in AbIdCod, where -1 means
    // none (a deleted slot's ID is 0xFFFFFFFF); such IDs are not counted.
    constexpr std::uint32_t kUncounted = 0x80000000u;
    std::uint32_t largest = 0;
    bool found = false;
    for (int n = 1; n <= kSubscribers; ++n) {
        const ConstAbInfoRecord info = AbInfo(n);
        const std::uint32_t id = info.ID();
        if (!info.Empty() && (id & kUncounted) == 0 && (!found || id > largest)) {
            largest = id;
            found = true;
        }
    }
    return found ? largest + 1 : 1;
}

std::uint32_t TData::ReserveIdCode(int n) {
    const std::uint32_t id = NextIdCode();
    AbInfo(n).SetID(id);
    Name(n).AbIdCod = static_cast<std::int32_t>(id);
    return id;
}

NameEntry& TData::Name(int n) {
    return names_[SubscriberElement(n)];
}
const NameEntry& TData::Name(int n) const {
    return names_[SubscriberElement(n)];
}

LineSettingRecord TData::SettingFXO() {
    return ViewOf<LineSettingRecord>(settingFXO_);
}
ConstLineSettingRecord TData::SettingFXO() const {
    return ViewOf<ConstLineSettingRecord>(settingFXO_);
}
LineSettingRecord TData::SettingFXS() {
    return ViewOf<LineSettingRecord>(settingFXS_);
}
ConstLineSettingRecord TData::SettingFXS() const {
    return ViewOf<ConstLineSettingRecord>(settingFXS_);
}
MobSettingRecord TData::SettingMOB() {
    return ViewOf<MobSettingRecord>(settingMOB_);
}
ConstMobSettingRecord TData::SettingMOB() const {
    return ViewOf<ConstMobSettingRecord>(settingMOB_);
}
PasswordSettingRecord TData::SettingPASSWORD() {
    return ViewOf<PasswordSettingRecord>(settingPASSWORD_);
}
ConstPasswordSettingRecord TData::SettingPASSWORD() const {
    return ViewOf<ConstPasswordSettingRecord>(settingPASSWORD_);
}
AlarmSettingRecord TData::SettingAlarm() {
    return ViewOf<AlarmSettingRecord>(settingAlarm_);
}
ConstAlarmSettingRecord TData::SettingAlarm() const {
    return ViewOf<ConstAlarmSettingRecord>(settingAlarm_);
}
BlackListRecord TData::BlackListEntry(int k) {
    return ViewOf<BlackListRecord>(
        blackList_[Checked(k, 0, kBlackListEntries - 1, "black list entry")]);
}
ConstBlackListRecord TData::BlackListEntry(int k) const {
    return ViewOf<ConstBlackListRecord>(
        blackList_[Checked(k, 0, kBlackListEntries - 1, "black list entry")]);
}
SmsMessageRecord TData::SMSMessage(int m) {
    return ViewOf<SmsMessageRecord>(smsMessages_[Checked(m, 0, kSmsMessages - 1, "SMS message")]);
}
ConstSmsMessageRecord TData::SMSMessage(int m) const {
    return ViewOf<ConstSmsMessageRecord>(
        smsMessages_[Checked(m, 0, kSmsMessages - 1, "SMS message")]);
}
ControlAccountRecord TData::ControlAccount() {
    return ViewOf<ControlAccountRecord>(controlAccount_);
}
ConstControlAccountRecord TData::ControlAccount() const {
    return ViewOf<ConstControlAccountRecord>(controlAccount_);
}

}  // namespace tulvo
