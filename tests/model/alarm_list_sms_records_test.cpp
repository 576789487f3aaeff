#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "hex_bytes.h"
#include "link/crc8.h"
#include "model/t_data.h"

namespace tulvo {
namespace {

using test::HexBytes;
using test::ToVector;

constexpr const char* kDefaultAlarm =
    "00 00 00 00000000 0000000000000000 0000000000000000"
    "7800 7800 7800 7800 7800 7800 7800 7800"
    "0A00 0A00 0A00 0A00 0A00 0A00 0A00 0A00"
    "0505050505050505"
    "3933383700000000 3933383700000000 3933383700000000"
    "3933383700000000 3933383700000000 3933383700000000"
    "3933383700000000 3933383700000000 3933383700000000"
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
    "0000 FFFF 00 E4";

class AlarmRecordTest : public ::testing::Test {
  protected:
    TData image;
    AlarmSettingRecord alarm = image.SettingAlarm();
};

TEST_F(AlarmRecordTest, DefaultRecordBytesAndReads) {
    EXPECT_EQ(ToVector(alarm.bytes()), HexBytes(kDefaultAlarm));
    EXPECT_TRUE(alarm.ChecksumValid());
    EXPECT_EQ(alarm.EM(), 0);
    EXPECT_EQ(alarm.MM(), 0u);
    for (int channel = 1; channel <= 4; ++channel) {
        EXPECT_EQ(alarm.InTimeout(channel), 120);
        EXPECT_EQ(alarm.InDebounce(channel), 10);
        EXPECT_EQ(alarm.SetTimeout(channel), 5);
        EXPECT_EQ(alarm.Password(channel), "9387");
    }
    EXPECT_EQ(alarm.Password(0), "9387");
    for (int position = 1; position <= 10; ++position) {
        EXPECT_EQ(alarm.AbName(position), -1);
    }
    EXPECT_EQ(alarm.PutSMS(), 0);
    EXPECT_EQ(alarm.Call(), 0xFFFF);
}

TEST_F(AlarmRecordTest, ResetRestoresDefault) {
    alarm.SetEM(0x0F);
    alarm.SetMM(0x00010001);
    alarm.SetKeyTime(2, 9);
    alarm.SetAbName(3, 5);
    alarm.SetPassword(4, "1");
    alarm.Reset();
    EXPECT_EQ(ToVector(alarm.bytes()), HexBytes(kDefaultAlarm));
}

TEST_F(AlarmRecordTest, ChannelOutsideOneToFourIsIgnored) {
    const auto before = ToVector(alarm.bytes());
    for (int channel : {0, 5, -1, 8}) {
        alarm.SetInTimeout(channel, 1);
        alarm.SetKeyTime(channel, 1);
        alarm.SetOutMask(channel, 1);
        alarm.SetInDebounce(channel, 1);
        alarm.SetSetTimeout(channel, 1);
        EXPECT_EQ(alarm.InTimeout(channel), 0);
        EXPECT_EQ(alarm.KeyTime(channel), 0);
        EXPECT_EQ(alarm.SetTimeout(channel), 0);
    }
    alarm.SetAbName(11, 1);
    alarm.SetAbName(0, 1);
    alarm.SetPassword(5, "1111");
    alarm.SetPassword(-1, "1111");
    EXPECT_EQ(alarm.AbName(11), 0);
    EXPECT_EQ(alarm.Password(5), "");
    EXPECT_EQ(ToVector(alarm.bytes()), before);
}

// Which stores keep the checksum current and which leave it stale.
struct AlarmStoreCase {
    const char* name;
    void (*store)(AlarmSettingRecord&);
    bool recomputes;
};

class AlarmChecksumTest : public AlarmRecordTest,
                          public ::testing::WithParamInterface<AlarmStoreCase> {};

TEST_P(AlarmChecksumTest, ChecksumFollowsTheStore) {
    GetParam().store(alarm);
    EXPECT_EQ(alarm.ChecksumValid(), GetParam().recomputes);
}

INSTANTIATE_TEST_SUITE_P(
    Stores, AlarmChecksumTest,
    ::testing::Values(
        AlarmStoreCase{"EM", [](AlarmSettingRecord& a) { a.SetEM(3); }, true},
        AlarmStoreCase{"MM", [](AlarmSettingRecord& a) { a.SetMM(0x10101); }, true},
        AlarmStoreCase{"FLAG", [](AlarmSettingRecord& a) { a.SetFLAG(1); }, true},
        AlarmStoreCase{"InTimeout", [](AlarmSettingRecord& a) { a.SetInTimeout(4, 60); }, true},
        AlarmStoreCase{"Password", [](AlarmSettingRecord& a) { a.SetPassword(2, "55"); }, true},
        AlarmStoreCase{"AbName", [](AlarmSettingRecord& a) { a.SetAbName(10, 7); }, true},
        AlarmStoreCase{"Active", [](AlarmSettingRecord& a) { a.SetActive(3); }, false},
        AlarmStoreCase{"KeyMode", [](AlarmSettingRecord& a) { a.SetKeyMode(3); }, false},
        AlarmStoreCase{"KeyTime", [](AlarmSettingRecord& a) { a.SetKeyTime(1, 3); }, false},
        AlarmStoreCase{"OutMask", [](AlarmSettingRecord& a) { a.SetOutMask(1, 3); }, false},
        AlarmStoreCase{"InDebounce", [](AlarmSettingRecord& a) { a.SetInDebounce(1, 3); }, false},
        AlarmStoreCase{"SetTimeout", [](AlarmSettingRecord& a) { a.SetSetTimeout(1, 3); }, false},
        AlarmStoreCase{"PutSMS", [](AlarmSettingRecord& a) { a.SetPutSMS(3); }, false},
        AlarmStoreCase{"Call", [](AlarmSettingRecord& a) { a.SetCall(3); }, false}),
    [](const auto& info) { return info.param.name; });

// Each named bit of the record, over every channel (or notified position):
// the one byte and bit it sets and clears, the checksum kept current only
// by the stores of EM and MM.
TEST(AlarmRecordBits, EachBitLandsAloneAtItsByte) {
    using A = AlarmSettingRecord;
    struct Case {
        const char* name;
        void (*set)(A&, int, bool);
        bool (*get)(const A&, int);
        int count;           // channels 1..4 or positions 1..10
        std::size_t offset;  // byte of the first bit
        int firstBit;
        bool recomputes;
    };
    const Case cases[] = {
        {"EM", [](A& a, int i, bool on) { a.SetChannelOn(i, on); },
         [](const A& a, int i) { return a.ChannelOn(i); }, 4, 0, 0, true},
        {"Active", [](A& a, int i, bool on) { a.SetChannelActive(i, on); },
         [](const A& a, int i) { return a.ChannelActive(i); }, 4, 1, 0, false},
        {"KeyMode", [](A& a, int i, bool on) { a.SetButtonMode(i, on); },
         [](const A& a, int i) { return a.ButtonMode(i); }, 4, 2, 0, false},
        {"InMode", [](A& a, int i, bool on) { a.SetInMode(i, on); },
         [](const A& a, int i) { return a.InMode(i); }, 4, 3, 0, true},
        {"ModeSwitch", [](A& a, int i, bool on) { a.SetModeSwitch(i, on); },
         [](const A& a, int i) { return a.ModeSwitch(i); }, 4, 3, 8, true},
        {"OutMode", [](A& a, int i, bool on) { a.SetOutMode(i, on); },
         [](const A& a, int i) { return a.OutMode(i); }, 4, 3, 16, true},
        // Channel c's mask byte is 15 + c - 1, input k its bit k - 1: i runs
        // over the 16 pairs as bit 8 * (c - 1) + k - 1 of bytes 15 to 18.
        {"OutMask",
         [](A& a, int i, bool on) { a.SetDrivenBy((i - 1) / 4 + 1, (i - 1) % 4 + 1, on); },
         [](const A& a, int i) { return a.DrivenBy((i - 1) / 4 + 1, (i - 1) % 4 + 1); }, 16, 15, -1,
         false},
        {"PutSMS", [](A& a, int i, bool on) { a.SetSmsTo(i, on); },
         [](const A& a, int i) { return a.SmsTo(i); }, 10, 155, 0, false},
        {"Call", [](A& a, int i, bool on) { a.SetCallTo(i, on); },
         [](const A& a, int i) { return a.CallTo(i); }, 10, 157, 0, false},
    };
    for (const Case& c : cases) {
        for (int i = 1; i <= c.count; ++i) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(i));
            const int bit = c.firstBit >= 0 ? c.firstBit + i - 1 : 8 * ((i - 1) / 4) + (i - 1) % 4;
            std::array<std::uint8_t, 161> bytes{};
            A record{A::Bytes(bytes)};
            std::array<std::uint8_t, 161> expected{};
            expected[c.offset + static_cast<std::size_t>(bit / 8)] =
                static_cast<std::uint8_t>(1U << (bit % 8));
            c.set(record, i, true);
            expected[160] = c.recomputes ? Crc8(expected.data(), 160) : 0;
            EXPECT_EQ(bytes, expected);
            for (int other = 0; other <= c.count + 1; ++other) {
                EXPECT_EQ(c.get(record, other), other == i) << "read " << other;
            }
            c.set(record, i, false);
            EXPECT_EQ(bytes[c.offset + static_cast<std::size_t>(bit / 8)], 0);
        }
        // Outside the range a store is ignored.
        std::array<std::uint8_t, 161> bytes{};
        A record{A::Bytes(bytes)};
        c.set(record, 0, true);
        c.set(record, c.count + 1, true);
        EXPECT_EQ(bytes, (std::array<std::uint8_t, 161>{})) << c.name;
    }
}

TEST_F(AlarmRecordTest, FieldsLandAtTheirOffsets) {
    alarm.SetActive(0xFF);
    alarm.SetOutMask(4, 0xF5);
    alarm.SetInTimeout(2, 0x1234);
    alarm.SetInDebounce(3, 0x0102);
    alarm.SetAbName(2, 299);
    alarm.SetPutSMS(0x0201);
    alarm.SetCall(0x0003);
    const auto b = alarm.bytes();
    EXPECT_EQ(b[1], 0x0F);
    EXPECT_EQ(b[18], 0x05);
    EXPECT_EQ(b[25], 0x34);
    EXPECT_EQ(b[26], 0x12);
    EXPECT_EQ(b[43], 0x02);
    EXPECT_EQ(b[44], 0x01);
    EXPECT_EQ(b[137], 0x2B);
    EXPECT_EQ(b[138], 0x01);
    EXPECT_EQ(ToVector(b.subspan<155, 4>()), HexBytes("01 02 03 00"));
}

TEST_F(AlarmRecordTest, PasswordKeepsSevenCharactersAndSlotTerminator) {
    alarm.SetPassword(1, "123456789");
    EXPECT_EQ(alarm.Password(1), "1234567");
    EXPECT_EQ(ToVector(alarm.bytes().subspan<71, 8>()), HexBytes("31 32 33 34 35 36 37 00"));
    EXPECT_EQ(alarm.Password(2), "9387");
}

TEST_F(AlarmRecordTest, CheckedCopyInAndSealedCopyOut) {
    alarm.SetKeyMode(0x05);  // stale checksum
    const auto out = alarm.SealedCopy();
    EXPECT_EQ(Crc8(out.data(), out.size()), 0);
    EXPECT_FALSE(alarm.ChecksumValid());

    TData other;
    auto corrupt = out;
    corrupt[100] ^= 0x40;
    EXPECT_FALSE(other.SettingAlarm().CopyIn(corrupt));
    EXPECT_EQ(other.SettingAlarm().KeyMode(), 0);
    EXPECT_TRUE(other.SettingAlarm().CopyIn(out));
    EXPECT_EQ(other.SettingAlarm().KeyMode(), 0x05);
}

TEST(BlackListRecordTest, BlankEntryBytes) {
    TData image;
    EXPECT_EQ(ToVector(image.BlackListEntry(0).bytes()),
              HexBytes("80 00 00000000000000000000000000000000000000 20"));
}

TEST(BlackListRecordTest, StoresRecomputeChecksumAndCutPrefix) {
    TData image;
    auto entry = image.BlackListEntry(186);
    entry.SetFLAG(0x05);
    entry.SetGM(0x01);
    entry.SetNUM("12345678901234567890");
    EXPECT_TRUE(entry.ChecksumValid());
    EXPECT_EQ(entry.NUM(), "123456789012345678");
    EXPECT_EQ(entry.bytes()[20], 0);
    EXPECT_FALSE(entry.Empty());
    entry.SetNUM("8800");
    EXPECT_EQ(ToVector(entry.bytes().first<21>()),
              HexBytes("05 01 38 38 30 30 000000000000000000000000000000"));
    entry.Reset();
    EXPECT_EQ(ToVector(entry.bytes()), ToVector(image.BlackListEntry(0).bytes()));
}

TEST(SmsMessageRecordTest, TextIsCutTo159AndChecksummed) {
    TData image;
    auto sms = image.SMSMessage(9);
    sms.SetText(std::string(200, 'a'));
    EXPECT_EQ(sms.Text(), std::string(159, 'a'));
    EXPECT_EQ(sms.bytes()[159], 0);
    EXPECT_EQ(sms.bytes()[160], 0);
    EXPECT_TRUE(sms.ChecksumValid());
}

TEST(SmsMessageRecordTest, BadChecksumReadsEmpty) {
    TData image;
    auto sms = image.SMSMessage(0);
    sms.SetText("Тревога");
    sms.bytes()[161] ^= 0x01;
    EXPECT_EQ(sms.Text(), "");
    sms.Reset();
    EXPECT_EQ(ToVector(sms.bytes()), std::vector<std::uint8_t>(162, 0));
    EXPECT_TRUE(sms.ChecksumValid());
}

TEST(SmsMessageRecordTest, CheckedCopyIn) {
    TData image;
    std::vector<std::uint8_t> incoming(162, 0);
    incoming[0] = 'O';
    incoming[1] = 'K';
    incoming[161] = Crc8(incoming.data(), 161);
    auto bad = incoming;
    bad[161] ^= 0xFF;
    EXPECT_FALSE(image.SMSMessage(3).CopyIn(bad));
    EXPECT_TRUE(image.SMSMessage(3).CopyIn(incoming));
    EXPECT_EQ(image.SMSMessage(3).Text(), "OK");
}

}  // namespace
}  // namespace tulvo
