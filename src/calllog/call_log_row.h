#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo {

// The 16 fields of the call-log table, in table (and file column) order.
enum class CallLogField : std::uint8_t {
    N,
    Flag,
    CallType,
    IdCodOutH,
    IdCodOutL,
    IdCodInH,
    IdCodInL,
    CallTypeStr,
    IdOutStr,
    IdInStr,
    TelNum,
    TimeConnect,
    Date,
    Time,
    InTelNum,
    DeviceName,
};
inline constexpr std::size_t kCallLogFieldCount = 16;

enum class CallLogFieldType : std::uint8_t { AutoInc, Integer, String, Date, Time };

struct CallLogFieldInfo {
    const char* name;
    CallLogFieldType type;
    std::uint8_t size;  // text size in Windows-1251 characters, 0 for the others
};

const CallLogFieldInfo& FieldInfo(CallLogField field);
// The field of that name, ASCII letters compared without case.
std::optional<CallLogField> FieldByName(std::string_view name);

// A calendar day.
struct CallDate {
    int year = 2000;
    int month = 1;
    int day = 1;
    friend auto operator<=>(const CallDate&, const CallDate&) = default;
};
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// A time of day in whole seconds, 0 to 86399.
struct CallTime {
    int seconds = 0;
    int Hours() const { return seconds / 3600; }
    int Minutes() const { return seconds / 60 % 60; }
    int Seconds() const { return seconds % 60; }
    static CallTime Of(int h, int m, int s) { return {h * 3600 + m * 60 + s}; }
    friend bool operator==(const CallTime&, const CallTime&) = default;
};

// One row of the call-log table. Any field may be null. Texts hold
// Windows-1251 bytes, at most their field's size, kept inline so a million
// rows stay compact.
class CallLogRow {
  public:
    bool IsNull(CallLogField field) const { return (nulls_ >> Bit(field)) & 1U; }
    void SetNull(CallLogField field) { nulls_ |= static_cast<std::uint16_t>(1U << Bit(field)); }

    // Integer fields (N to IdCodInL).
    std::optional<std::int32_t> Int(CallLogField field) const;
    void SetInt(CallLogField field, std::int32_t value);
    // Text fields; a longer value is cut to the field's size.
    std::optional<std::string_view> Text(CallLogField field) const;
    void SetText(CallLogField field, std::string_view cp1251);
    // The same from UTF-8: characters that Windows-1251 cannot hold become '?'.
    void SetTextUtf8(CallLogField field, std::string_view utf8);
    std::optional<CallDate> Date() const;
    void SetDate(CallDate date);
    // TimeConnect or Time.
    std::optional<CallTime> TimeOf(CallLogField field) const;
    void SetTime(CallLogField field, CallTime time);

    friend bool operator==(const CallLogRow&, const CallLogRow&) = default;
    // Equal rows hash alike.
    std::size_t Hash() const;

  private:
    static unsigned Bit(CallLogField field) { return static_cast<unsigned>(field); }
    void SetPresent(CallLogField field) {
        nulls_ &= static_cast<std::uint16_t>(~(1U << Bit(field)));
    }
    // Index of a text field among the six, and where its bytes start.
    static int TextSlot(CallLogField field);

    static constexpr std::size_t kTextBytes = 26 + 45 + 45 + 19 + 19 + 9;

    std::uint16_t nulls_ = 0xFFFF;  // every field null
    std::array<std::int32_t, 7> ints_{};
    std::int32_t timeConnect_ = 0;
    std::int32_t time_ = 0;
    std::int16_t year_ = 0;
    std::uint8_t month_ = 0;
    std::uint8_t day_ = 0;
    std::array<std::uint8_t, 6> textLength_{};
    std::array<char, kTextBytes> text_{};
};

}  // namespace tulvo
