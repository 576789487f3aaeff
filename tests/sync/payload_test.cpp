#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/byte_io.h"
#include "link/crc8.h"
#include "link/link_test_util.h"
#include "sync/clock_set.h"
#include "sync/dev_name.h"
#include "sync/pin_code.h"
#include "sync/sys_info.h"
#include "sync/total_limit.h"

namespace tulvo {
namespace {

using test::Hex;
using Bytes = std::vector<std::uint8_t>;

template <typename Container>
Bytes ToBytes(const Container& c) {
    return Bytes(c.begin(), c.end());
}

TEST(ClockSet, BuildsTheWorkedExample) {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 1;
    t.tm_hour = 13;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_wday = 5;  // Friday
    EXPECT_EQ(ToBytes(ClockSet::FromLocalTime(t)), Hex("09 05 0D 01 03 18 06 3D 00 F8"));
}

TEST(ClockSet, CountsDaysOfTheYearWithEveryFourthYearLeap) {
    struct Case {
        int year, month, day, expected;
    } const cases[] = {
        {2024, 1, 1, 1},     {2024, 2, 29, 60},   {2024, 3, 1, 61}, {2023, 3, 1, 60},
        {2024, 12, 31, 366}, {2023, 12, 31, 365}, {2100, 3, 1, 61},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockSet::DayOfYear(c.year, c.month, c.day), c.expected)
            << c.year << "-" << c.month << "-" << c.day;
    }
    std::tm t{};
    t.tm_year = 2000 - 1900;
    t.tm_mday = 1;
    EXPECT_EQ(ClockSet::FromLocalTime(t)[5], 0x00);  // 0xD0 + 0x30 wraps to 0
}

Bytes SysInfoPayload(const std::string& fw, const std::string& imei, std::uint8_t signal,
                     std::uint16_t boot, std::uint16_t check) {
    Bytes p(34, 0);
    std::copy(fw.begin(), fw.end(), p.begin());
    std::copy(imei.begin(), imei.end(), p.begin() + 12);
    p[28] = signal;
    WriteU16le(p, 29, boot);
    WriteU16le(p, 31, check);
    p[33] = Crc8(p.data(), 33);
    return p;
}

TEST(SysInfo, AppliesTheDisplayRules) {
    struct Case {
        const char* name;
        Bytes payload;
        std::string firmware, imei;
        int signal;
        std::string boot;
    } const cases[] = {
        {"typical", SysInfoPayload("V2.14", "356938035643809", 17, 0x0200, 0xFDFF), "V2.14",
         "356938035643809", 17, "02.00"},
        {"decimal digits", SysInfoPayload("A", "1", 31, 0x0315, 0xFCEA), "A", "1", 31, "03.15"},
        {"digit above 9", SysInfoPayload("A", "1", 0, 0x12AB, 0xED54), "A", "1", 0, "12.1011"},
        {"signal too high", SysInfoPayload("A", "1", 32, 0x0200, 0x1234), "A", "1", 0, "NA"},
        {"version 1", SysInfoPayload("", "", 99, 0x0001, 0xFFFE), "", "", 0, "NA"},
        {"full-width texts", SysInfoPayload("ABCDEFGHIJKL", "1234567890123456", 0, 2, 0xFFFD),
         "ABCDEFGHIJKL", "1234567890123456", 0, "00.02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SysInfo info = SysInfo::Parse(c.payload);
        EXPECT_EQ(info.firmware, c.firmware);
        EXPECT_EQ(info.imei, c.imei);
        EXPECT_EQ(info.signal, c.signal);
        EXPECT_EQ(info.BootloaderText(), c.boot);
    }
    EXPECT_THROW(SysInfo::Parse(Bytes(20, 0)), std::out_of_range);
}

TEST(TotalLimit, DefaultsOffAndWritesOnlyTheSwitchAndTheTime) {
    TotalLimit limit;
    EXPECT_EQ(limit.Flags(), 0xFF);
    EXPECT_FALSE(limit.Enabled());
    EXPECT_EQ(limit.TimeLeft(), 0u);

    limit.Load(Hex("84 64 00 00 00 1E 00 00 00 00"));
    EXPECT_TRUE(limit.Enabled());
    EXPECT_EQ(limit.TimeLeft(), 100u);
    EXPECT_EQ(limit.Threshold(), 30u);

    const auto off = limit.ForWrite(false, 3600);
    EXPECT_EQ(Bytes(off.begin(), off.end() - 1), Hex("85 10 0E 00 00 1E 00 00 00"));
    EXPECT_EQ(Crc8(off.data(), off.size()), 0);
    EXPECT_EQ(limit.ForWrite(true, 0)[0], 0x84);
    const auto withThreshold = limit.ForWrite(true, 60, 600);
    EXPECT_EQ(Bytes(withThreshold.begin(), withThreshold.end() - 1),
              Hex("84 3C 00 00 00 58 02 00 00"));
    EXPECT_EQ(Crc8(withThreshold.data(), withThreshold.size()), 0);
    EXPECT_THROW(limit.Load(Hex("00 00")), std::out_of_range);
}

TEST(DevName, PadsCutsAndReadsUpToTheFirstZero) {
    const auto name = DevName::Build("GATE-1");
    EXPECT_EQ(Bytes(name.begin(), name.end() - 1), Hex("47 41 54 45 2D 31 00 00 00"));
    EXPECT_EQ(Crc8(name.data(), name.size()), 0);
    const auto cut = DevName::Build("ABCDEFGHIJ");
    EXPECT_EQ(Bytes(cut.begin(), cut.end() - 1), Hex("41 42 43 44 45 46 47 48 00"));

    EXPECT_EQ(DevName::Parse(name), "GATE-1");
    EXPECT_EQ(DevName::Parse(Hex("41 00 42 42 42 42 42 42 42 00")), "A");
    // Without any zero the text stops before the checksum byte.
    EXPECT_EQ(DevName::Parse(Hex("41 41 41 41 41 41 41 41 41 41")), "AAAAAAAAA");
}

TEST(PinCode, HoldsUpToFourCharactersThenZero) {
    const auto pin = PinCode::Build("12");
    EXPECT_EQ(Bytes(pin.begin(), pin.end() - 1), Hex("31 32 00 00 00"));
    EXPECT_EQ(Crc8(pin.data(), pin.size()), 0);
    const auto cut = PinCode::Build("123456");
    EXPECT_EQ(Bytes(cut.begin(), cut.end() - 1), Hex("31 32 33 34 00"));
}

}  // namespace
}  // namespace tulvo
