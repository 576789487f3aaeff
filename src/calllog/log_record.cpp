#include "calllog/log_record.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "link/byte_io.h"
#include "model/cp1251.h"
#include "model/t_data.h"

namespace tulvo {
namespace {

using namespace byte_io;

std::string TextAt(std::span<const std::uint8_t> record, std::size_t offset) {
    const auto field = record.subspan(offset, LogRecordLayout::kNumberWidth);
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return std::string(field.begin(), end);
}

}  // namespace

const char* CallTypeText(int code) {
    static constexpr std::array<const char*, 8> kTexts{
        "Мобильный -> FXO",     "Мобильный -> FXS",     "Мобильный -> Конференция",
        "Мобильный -> FXO(CB)", "Мобильный -> FXS(CB)", "Мобильный -> Конференция(CB)",
        "FXO->Мобильный",       "FXS->Мобильный",
    };
    if (code >= 0 && code < static_cast<int>(kTexts.size())) {
        return kTexts[static_cast<std::size_t>(code)];
    }
    return code == 11 ? "Нет связи" : "Неизвестный";
}

int FindSubscriberById(const TData& image, std::uint32_t id) {
    for (int slot = 1; slot <= TData::kSubscribers; ++slot) {
        const ConstAbInfoRecord info = image.AbInfo(slot);
        if (!info.Empty() && info.ID() == id) {
            return slot;
        }
    }
    return 0;
}

std::string SubscriberText(const TData& image, std::uint32_t id) {
    const int slot = FindSubscriberById(image, id);
    std::string text;
    if (slot == 0) {
        text = Utf8ToCp1251("Неизвестный");
    } else {
        const std::string& name = image.Name(slot).AbFNS;
        if (image.AbInfo(slot).Activation()) {
            if (name.empty()) {
                std::array<char, 16> hex{};
                std::snprintf(hex.data(), hex.size(), "ID:%08X", image.AbInfo(slot).ID());
                text = hex.data();
            } else {
                text = name;
            }
        } else if (name.empty()) {
            text = Utf8ToCp1251("дэактивирован ") + std::to_string(slot);
        } else {
            text = name + Utf8ToCp1251(" откл.");
        }
    }
    text.resize(std::min<std::size_t>(text.size(), 45));
    return text;
}

CallLogRow DecodeLogRecord(std::span<const std::uint8_t> record, const TData& image,
                           std::string_view deviceName) {
    using L = LogRecordLayout;
    CallLogRow row;
    row.SetInt(CallLogField::Flag, ReadU8(record, L::kFlag));
    const int callType = ReadU8(record, L::kCallType);
    row.SetInt(CallLogField::CallType, callType);
    row.SetText(CallLogField::CallTypeStr, Utf8ToCp1251(CallTypeText(callType)));

    const std::uint32_t out = ReadU32le(record, L::kIdCodOut);
    row.SetInt(CallLogField::IdCodOutH, static_cast<std::int32_t>(out >> 16));
    row.SetInt(CallLogField::IdCodOutL, static_cast<std::int32_t>(out & 0xFFFF));
    row.SetText(CallLogField::IdOutStr, SubscriberText(image, out));
    const std::uint32_t in = ReadU32le(record, L::kIdCodIn);
    row.SetInt(CallLogField::IdCodInH, static_cast<std::int32_t>(in >> 16));
    row.SetInt(CallLogField::IdCodInL, static_cast<std::int32_t>(in & 0xFFFF));
    row.SetText(CallLogField::IdInStr, SubscriberText(image, in));

    row.SetText(CallLogField::TelNum, TextAt(record, L::kTelNum));
    row.SetText(CallLogField::InTelNum, TextAt(record, L::kInTelNum));

    const int seconds = ReadU16le(record, L::kConnectSeconds);
    row.SetTime(CallLogField::TimeConnect, CallTime{seconds});

    const int year = 2000 + static_cast<std::int8_t>(ReadU8(record, L::kYearOffset));
    int month = ReadU8(record, L::kMonth);
    int day = ReadU8(record, L::kDay);
    if (month == 0 || month > 12) {
        month = 1;
    }
    if (day == 0 || day > 31) {
        day = 1;
    }
    // 31 April or 29 February of a common year: the month's last day, so the
    // call keeps a date close to the one the gateway gave.
    day = std::min(day, DaysInMonth(year, month));
    row.SetDate({year, month, day});

    int hour = ReadU8(record, L::kHour);
    int minute = ReadU8(record, L::kMinute);
    int second = ReadU8(record, L::kSecond);
    hour = hour > 23 ? 0 : hour;
    minute = minute > 59 ? 0 : minute;
    second = second > 59 ? 0 : second;
    row.SetTime(CallLogField::Time, CallTime::Of(hour, minute, second));

    row.SetText(CallLogField::DeviceName, deviceName);
    return row;
}

}  // namespace tulvo
