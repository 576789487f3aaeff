#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>

namespace tulvo {

// The 10-byte clock payload: seconds, minutes, hours, day of month, month
// (1-12), year minus 2000, day of week (1 = Sunday), day of the year (16 bits,
// 1 = 1 January), checksum.
class ClockSet {
  public:
    static constexpr std::size_t kSize = 10;
    using Payload = std::array<std::uint8_t, kSize>;

    // From a broken-down local time (tm_year counts from 1900, tm_mon from 0,
    // tm_wday 0 = Sunday).
    static Payload FromLocalTime(const std::tm& time);
    // The PC's local time now.
    static Payload Now();
    // Day of the year, 1 = 1 January; every year divisible by 4 counts as leap.
    static int DayOfYear(int year, int month, int day);
};

}  // namespace tulvo
