#include "sync/clock_set.h"

#include <span>

#include "link/byte_io.h"
#include "link/command_table.h"
#include "link/crc8.h"

namespace tulvo {

static_assert(CarriesRecord(command::ReadClock, command::WriteClock, ClockSet::kSize));

int ClockSet::DayOfYear(int year, int month, int day) {
    static constexpr int kDaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    if (month < 1 || month > 12) {
        return day;
    }
    const bool leap = year % 4 == 0;
    return kDaysBefore[month - 1] + day + ((leap && month > 2) ? 1 : 0);
}

ClockSet::Payload ClockSet::FromLocalTime(const std::tm& time) {
    const int year = time.tm_year + 1900;
    const int month = time.tm_mon + 1;
    Payload p{};
    p[0] = static_cast<std::uint8_t>(time.tm_sec);
    p[1] = static_cast<std::uint8_t>(time.tm_min);
    p[2] = static_cast<std::uint8_t>(time.tm_hour);
    p[3] = static_cast<std::uint8_t>(time.tm_mday);
    p[4] = static_cast<std::uint8_t>(month);
    // Low byte of the four-digit year plus 0x30, modulo 256: 2024 -> 24.
    p[5] = static_cast<std::uint8_t>((year & 0xFF) + 0x30);
    p[6] = static_cast<std::uint8_t>(time.tm_wday + 1);
    WriteU16le(p, 7, static_cast<std::uint16_t>(DayOfYear(year, month, time.tm_mday)));
    p[9] = Crc8(p.data(), kSize - 1);
    return p;
}

ClockSet::Payload ClockSet::Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return FromLocalTime(local);
}

}  // namespace tulvo
