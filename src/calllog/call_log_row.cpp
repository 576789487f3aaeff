#include "calllog/call_log_row.h"

#include <algorithm>
#include <stdexcept>

#include "model/cp1251.h"

namespace tulvo {
namespace {

constexpr std::array<CallLogFieldInfo, kCallLogFieldCount> kFields{{
    {"N", CallLogFieldType::AutoInc, 0},
    {"Flag", CallLogFieldType::Integer, 0},
    {"CallType", CallLogFieldType::Integer, 0},
    {"IdCodOutH", CallLogFieldType::Integer, 0},
    {"IdCodOutL", CallLogFieldType::Integer, 0},
    {"IdCodInH", CallLogFieldType::Integer, 0},
    {"IdCodInL", CallLogFieldType::Integer, 0},
    {"CallTypeStr", CallLogFieldType::String, 26},
    {"IdOutStr", CallLogFieldType::String, 45},
    {"IdInStr", CallLogFieldType::String, 45},
    {"TelNum", CallLogFieldType::String, 19},
    {"TimeConnect", CallLogFieldType::Time, 0},
    {"Date", CallLogFieldType::Date, 0},
    {"Time", CallLogFieldType::Time, 0},
    {"InTelNum", CallLogFieldType::String, 19},
    {"DeviceName", CallLogFieldType::String, 9},
}};

// Start of each text field inside the row's text bytes, in field order.
constexpr std::array<std::size_t, 6> kTextOffset{0, 26, 71, 116, 135, 154};

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const CallLogFieldInfo& FieldInfo(CallLogField field) {
    return kFields[static_cast<std::size_t>(field)];
}

std::optional<CallLogField> FieldByName(std::string_view name) {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const std::string_view candidate = kFields[i].name;
        if (candidate.size() == name.size() &&
            std::equal(candidate.begin(), candidate.end(), name.begin(),
                       [](char a, char b) { return LowerAscii(a) == LowerAscii(b); })) {
            return static_cast<CallLogField>(i);
        }
    }
    return std::nullopt;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) {
        return 29;
    }
    return kDays[static_cast<std::size_t>(month - 1)];
}

int CallLogRow::TextSlot(CallLogField field) {
    switch (field) {
        case CallLogField::CallTypeStr:
            return 0;
        case CallLogField::IdOutStr:
            return 1;
        case CallLogField::IdInStr:
            return 2;
        case CallLogField::TelNum:
            return 3;
        case CallLogField::InTelNum:
            return 4;
        case CallLogField::DeviceName:
            return 5;
        default:
            throw std::logic_error("not a text field of the call log");
    }
}

std::optional<std::int32_t> CallLogRow::Int(CallLogField field) const {
    const auto index = static_cast<std::size_t>(field);
    if (index >= ints_.size()) {
        throw std::logic_error("not an integer field of the call log");
    }
    if (IsNull(field)) {
        return std::nullopt;
    }
    return ints_[index];
}

void CallLogRow::SetInt(CallLogField field, std::int32_t value) {
    const auto index = static_cast<std::size_t>(field);
    if (index >= ints_.size()) {
        throw std::logic_error("not an integer field of the call log");
    }
    ints_[index] = value;
    SetPresent(field);
}

std::optional<std::string_view> CallLogRow::Text(CallLogField field) const {
    const auto slot = static_cast<std::size_t>(TextSlot(field));
    if (IsNull(field)) {
        return std::nullopt;
    }
    return std::string_view(text_.data() + kTextOffset[slot], textLength_[slot]);
}

void CallLogRow::SetText(CallLogField field, std::string_view cp1251) {
    const auto slot = static_cast<std::size_t>(TextSlot(field));
    const std::size_t length = std::min<std::size_t>(cp1251.size(), FieldInfo(field).size);
    std::copy_n(cp1251.begin(), length, text_.begin() + static_cast<long>(kTextOffset[slot]));
    // The unused tail is zeroed, so equal values compare equal whatever stood there.
    std::fill(text_.begin() + static_cast<long>(kTextOffset[slot] + length),
              text_.begin() + static_cast<long>(kTextOffset[slot] + FieldInfo(field).size), '\0');
    textLength_[slot] = static_cast<std::uint8_t>(length);
    SetPresent(field);
}

void CallLogRow::SetTextUtf8(CallLogField field, std::string_view utf8) {
    SetText(field, Utf8ToCp1251(utf8));
}

std::optional<CallDate> CallLogRow::Date() const {
    if (IsNull(CallLogField::Date)) {
        return std::nullopt;
    }
    return CallDate{year_, month_, day_};
}

void CallLogRow::SetDate(CallDate date) {
    year_ = static_cast<std::int16_t>(date.year);
    month_ = static_cast<std::uint8_t>(date.month);
    day_ = static_cast<std::uint8_t>(date.day);
    SetPresent(CallLogField::Date);
}

std::optional<CallTime> CallLogRow::TimeOf(CallLogField field) const {
    if (field != CallLogField::TimeConnect && field != CallLogField::Time) {
        throw std::logic_error("not a time field of the call log");
    }
    if (IsNull(field)) {
        return std::nullopt;
    }
    return CallTime{field == CallLogField::Time ? time_ : timeConnect_};
}

void CallLogRow::SetTime(CallLogField field, CallTime time) {
    if (field == CallLogField::Time) {
        time_ = time.seconds;
    } else if (field == CallLogField::TimeConnect) {
        timeConnect_ = time.seconds;
    } else {
        throw std::logic_error("not a time field of the call log");
    }
    SetPresent(field);
}

std::size_t CallLogRow::Hash() const {
    // FNV-1a over every member that operator== compares.
    std::uint64_t hash = 14695981039346656037ULL;
    const auto mix = [&hash](const auto& member) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&member);
        for (std::size_t i = 0; i < sizeof member; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ULL;
        }
    };
    mix(nulls_);
    mix(ints_);
    mix(timeConnect_);
    mix(time_);
    mix(year_);
    mix(month_);
    mix(day_);
    mix(textLength_);
    mix(text_);
    return static_cast<std::size_t>(hash);
}

}  // namespace tulvo
