#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "model/ab_info_record.h"
#include "model/ab_limit_record.h"
#include "model/ab_phone_record.h"
#include "model/alarm_setting_record.h"
#include "model/black_list_record.h"
#include "model/control_account_record.h"
#include "model/line_setting_record.h"
#include "model/mob_setting_record.h"
#include "model/name_entry.h"
#include "model/password_setting_record.h"
#include "model/sms_message_record.h"

namespace tulvo {

// The in-memory image of the gateway's whole configuration, in the gateway's
// own record layouts. The owner creates one and hands it to whoever needs
// it; it cannot be copied.
//
// Accessors return views over the records; an index outside its range
// throws std::out_of_range:
//   subscriber n     1..300  (element n - 1 of AbInfo, AbLimit, name, AbPhone)
//   black list k     0..186  (element k)
//   SMS message m    0..9
class TData {
  public:
    static constexpr int kSubscribers = 300;
    static constexpr std::size_t kSubscriberElements = 301;
    static constexpr std::size_t kPhoneElements = 741;
    static constexpr int kBlackListEntries = 187;
    static constexpr int kSmsMessages = 10;
    static constexpr std::size_t kControlAccountSpare = 2;

    // Lays the defaults of every part.
    TData();
    TData(const TData&) = delete;
    TData& operator=(const TData&) = delete;

    AbInfoRecord AbInfo(int n);
    ConstAbInfoRecord AbInfo(int n) const;
    AbLimitRecord AbLimit(int n);
    ConstAbLimitRecord AbLimit(int n) const;
    AbPhoneRecord AbPhone(int n);
    ConstAbPhoneRecord AbPhone(int n) const;
    NameEntry& Name(int n);
    const NameEntry& Name(int n) const;

    // The ID for a new subscriber: 1 + the largest ID with bit 31 clear
    // among the slots in use, or 1 when no slot qualifies.
    std::uint32_t NextIdCode() const;
    // Gives empty slot n the next ID (ID and AbIdCod at once) ahead of its
    // first store; the slot stays empty. Returns the ID.
    std::uint32_t ReserveIdCode(int n);

    LineSettingRecord SettingFXO();
    ConstLineSettingRecord SettingFXO() const;
    LineSettingRecord SettingFXS();
    ConstLineSettingRecord SettingFXS() const;
    MobSettingRecord SettingMOB();
    ConstMobSettingRecord SettingMOB() const;
    PasswordSettingRecord SettingPASSWORD();
    ConstPasswordSettingRecord SettingPASSWORD() const;
    AlarmSettingRecord SettingAlarm();
    ConstAlarmSettingRecord SettingAlarm() const;
    BlackListRecord BlackListEntry(int k);
    ConstBlackListRecord BlackListEntry(int k) const;
    SmsMessageRecord SMSMessage(int m);
    ConstSmsMessageRecord SMSMessage(int m) const;
    ControlAccountRecord ControlAccount();
    ConstControlAccountRecord ControlAccount() const;

  private:
    template <std::size_t N>
    using Record = std::array<std::uint8_t, N>;

    std::array<Record<AbInfoRecord::kSize>, kSubscriberElements> abInfo_{};
    std::array<Record<AbLimitRecord::kSize>, kSubscriberElements> abLimit_{};
    std::array<NameEntry, kSubscriberElements> names_{};
    std::array<Record<AbPhoneRecord::kSize>, kPhoneElements> abPhone_{};
    Record<LineSettingRecord::kSize> settingFXO_{};
    Record<LineSettingRecord::kSize> settingFXS_{};
    Record<MobSettingRecord::kSize> settingMOB_{};
    Record<PasswordSettingRecord::kSize> settingPASSWORD_{};
    Record<AlarmSettingRecord::kSize> settingAlarm_{};
    std::array<Record<BlackListRecord::kSize>, kBlackListEntries> blackList_{};
    std::array<Record<SmsMessageRecord::kSize>, kSmsMessages> smsMessages_{};
    Record<ControlAccountRecord::kSize + kControlAccountSpare> controlAccount_{};
};

}  // namespace tulvo
