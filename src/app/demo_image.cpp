#include "app/demo_image.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "model/cp1251.h"
#include "model/t_data.h"
#include "sim/demo_call_log.h"
#include "sync/total_limit.h"

namespace tulvo {
namespace {

struct DemoSubscriber {
    const char* name;
    const char* phone;
    const char* shortNumber;
    const char* password;
    std::uint8_t lines;  // LM bits 0-2: FXO, FXS, conference
    std::uint8_t group;
    std::uint16_t limOut;
    std::uint16_t limIn;
    std::uint32_t totalLimitMinutes;  // 0: no total limit
};

constexpr std::array<DemoSubscriber, 12> kSubscribers{{
    {"Иванов Сергей", "80501234567", "", "1234", 0x07, 1, 0, 0, 0},
    {"Петрова Анна", "80672345678", "8881", "", 0x03, 1, 10, 0, 0},
    {"Сидоренко Олег", "80933456789", "", "", 0x01, 2, 5, 5, 120},
    {"Коваленко Ирина", "80504567890", "", "77", 0x07, 1, 0, 0, 0},
    {"Охрана объекта", "80675678901", "", "", 0x01, 2, 0, 0, 0},
    {"Мельник Дмитрий", "80636789012", "8883", "", 0x02, 1, 15, 0, 0},
    {"Шевчук Наталья", "80957890123", "", "", 0x07, 1, 0, 0, 300},
    {"Бондаренко Юрий", "80508901234", "", "4321", 0x01, 2, 3, 3, 0},
    {"Ткаченко Ольга", "80679012345", "", "", 0x03, 1, 0, 0, 0},
    {"Кравченко Павел", "80660123456", "8886", "", 0x05, 1, 20, 10, 0},
    {"Диспетчер", "80442345678", "", "", 0x07, 1, 0, 0, 0},
    {"Лысенко Андрей", "80973456789", "", "", 0x01, 2, 0, 0, 60},
}};

struct DemoListEntry {
    std::uint8_t flag;
    std::uint8_t group;
    const char* number;
};

constexpr std::array<DemoListEntry, 5> kListEntries{{
    {0x01 | 0x04, 1, "8900"},
    {0x01 | 0x04, 1, "810"},
    {0x01 | 0x04 | 0x08, 2, "8800"},
    {0x02 | 0x10, 1, "8044"},
    {0x02 | 0x20, 3, "80501234567"},
}};

constexpr std::array<const char*, 3> kSmsTexts{
    "Тревога! Сработал датчик 1",
    "Тревога! Сработал датчик 2",
    "Пропало питание 220В",
};

void StoreSubscriber(TData& image, int n, const DemoSubscriber& s) {
    constexpr std::uint8_t kLineBase = 0x38;
    AbInfoRecord info = image.AbInfo(n);
    info.SetID(static_cast<std::uint32_t>(n));
    info.SetPassword(s.password);
    image.Name(n).AbFNS = Utf8ToCp1251(s.name);
    image.Name(n).AbIdCod = n;
    AbPhoneRecord phone = image.AbPhone(n);
    phone.SetPhoneIndex(static_cast<std::uint16_t>(n - 1));
    phone.SetFlagPhone(0);
    phone.SetPhoneIn(s.phone);
    phone.SetPhoneLen(static_cast<std::uint8_t>(std::string(s.shortNumber).size()));
    phone.SetPhoneOut(s.shortNumber);
    info.SetLM(static_cast<std::uint8_t>(kLineBase | s.lines));
    info.SetFLAG(AbInfoRecord::kActivation | AbInfoRecord::kLongDistance);
    info.SetLimIn(s.limIn);
    info.SetLimOut(s.limOut);
    info.SetDL(0);
    info.SetGr(s.group);
    info.SetDateStamp(1, 1, 2035);
    info.SetReserved1(0);
    info.SetReserved2(0);
    info.SetReserved3(255);
    AbLimitRecord limit = image.AbLimit(n);
    limit.SetLimitOn(s.totalLimitMinutes != 0);
    limit.SetLimitIn(s.totalLimitMinutes != 0);
    limit.SetLimitOut(s.totalLimitMinutes != 0);
    limit.SetLimitSeconds(s.totalLimitMinutes * 60);
}

template <typename Record>
void AddRecord(sim::DemoPopulation& population, sim::RecordFamily family, int index,
               const Record& record) {
    const auto bytes = record.SealedCopy();
    population.records.push_back({family, index, sim::Bytes(bytes.begin(), bytes.end())});
}

}  // namespace

void BuildDemoImage(TData& image) {
    for (std::size_t i = 0; i < kSubscribers.size(); ++i) {
        StoreSubscriber(image, static_cast<int>(i) + 1, kSubscribers[i]);
    }
    // One subscriber switched off, as the call log shows them ("... откл.").
    image.AbInfo(12).SetFLAG(AbInfoRecord::kLongDistance);
    // From element 1: the settings store keeps elements 1 to 186 only.
    for (std::size_t k = 0; k < kListEntries.size(); ++k) {
        BlackListRecord entry = image.BlackListEntry(static_cast<int>(k) + 1);
        entry.SetFLAG(kListEntries[k].flag);
        entry.SetGM(kListEntries[k].group);
        entry.SetNUM(kListEntries[k].number);
    }
    for (std::size_t m = 0; m < kSmsTexts.size(); ++m) {
        image.SMSMessage(static_cast<int>(m)).SetText(Utf8ToCp1251(kSmsTexts[m]));
    }
    image.SettingPASSWORD().SetPassword("5500");
    image.SettingMOB().SetRP("+380");
    ControlAccountRecord account = image.ControlAccount();
    account.SetAccountOn(true);
    account.SetUSSD("*111#");
    account.SetUNIT(Utf8ToCp1251("грн"));
    account.SetAL(20);
    account.UpdateChecksum();
}

void AddDemoNames(TData& image) {
    for (std::size_t i = 0; i < kSubscribers.size(); ++i) {
        NameEntry& entry = image.Name(static_cast<int>(i) + 1);
        if (entry.AbFNS.empty() && image.AbInfo(static_cast<int>(i) + 1).Empty()) {
            entry.AbFNS = Utf8ToCp1251(kSubscribers[i].name);
            entry.AbIdCod = static_cast<std::int32_t>(i) + 1;
        }
    }
}

sim::DemoPopulation BuildDemoPopulation() {
    TData image;
    BuildDemoImage(image);
    sim::DemoPopulation population;
    using sim::RecordFamily;
    for (int n = 1; n <= static_cast<int>(kSubscribers.size()); ++n) {
        AddRecord(population, RecordFamily::AbInfo, n - 1, image.AbInfo(n));
        AddRecord(population, RecordFamily::AbPhone, n - 1, image.AbPhone(n));
        AddRecord(population, RecordFamily::AbLimit, n - 1, image.AbLimit(n));
    }
    for (int k = 1; k <= static_cast<int>(kListEntries.size()); ++k) {
        AddRecord(population, RecordFamily::BlackListEntry, k, image.BlackListEntry(k));
    }
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        AddRecord(population, RecordFamily::SMSMessage, m, image.SMSMessage(m));
    }
    AddRecord(population, RecordFamily::Block, sim::kBlockFXO, image.SettingFXO());
    AddRecord(population, RecordFamily::Block, sim::kBlockFXS, image.SettingFXS());
    AddRecord(population, RecordFamily::Block, sim::kBlockMOB, image.SettingMOB());
    AddRecord(population, RecordFamily::Block, sim::kBlockPassword, image.SettingPASSWORD());
    AddRecord(population, RecordFamily::Block, sim::kBlockAlarm, image.SettingAlarm());
    AddRecord(population, RecordFamily::Block, sim::kBlockControlAccount, image.ControlAccount());
    const TotalLimit::Payload totalLimit = TotalLimit().ForWrite(true, 3725, 600);
    population.records.push_back({RecordFamily::Block, sim::kBlockTotalLimit,
                                  sim::Bytes(totalLimit.begin(), totalLimit.end())});
    population.callLog = sim::DemoCallLogBlocks();
    population.accountBalance = 4275;  // 42.75
    return population;
}

}  // namespace tulvo
