#include <gtest/gtest.h>

#include <string>

#include "hex_bytes.h"
#include "link/crc8.h"
#include "model/t_data.h"

namespace tulvo {
namespace {

using test::HexBytes;
using test::ToVector;

class SubscriberRecordTest : public ::testing::Test {
  protected:
    TData image;
    AbInfoRecord info = image.AbInfo(1);
    AbPhoneRecord phone = image.AbPhone(1);
    AbLimitRecord limit = image.AbLimit(1);
};

TEST_F(SubscriberRecordTest, BlankRecordsCarryTheirChecksumBytes) {
    EXPECT_EQ(ToVector(info.bytes()),
              HexBytes("8E FF FF FF FF 00 00 00 00 00 00 00 00 3F 00 FF FF FF FF FF 00 00 00 FF 00 "
                       "00 FF FF FF FF FF FF 78"));
    EXPECT_EQ(
        ToVector(phone.bytes()),
        HexBytes("80 FF FF 00000000000000000000000000000000000000000000000000000000000000000000"
                 " D0"));
    EXPECT_EQ(ToVector(limit.bytes()), HexBytes("01 00 00 00 00 A4"));
    EXPECT_TRUE(info.ChecksumValid());
    EXPECT_TRUE(phone.ChecksumValid());
    EXPECT_TRUE(limit.ChecksumValid());
}

TEST_F(SubscriberRecordTest, ResetRestoresBlankRecords) {
    info.SetFLAG(0x0A);
    info.SetID(42);
    phone.SetPhoneIn("0123");
    phone.SetFlagPhone(0);
    limit.SetLimitOn(true);
    limit.SetLimitSeconds(600);
    info.Reset();
    phone.Reset();
    limit.Reset();
    EXPECT_EQ(info.bytes()[32], 0x78);
    EXPECT_EQ(info.bytes()[0], 0x8E);
    EXPECT_EQ(phone.bytes()[37], 0xD0);
    EXPECT_EQ(phone.PhoneIn(), "");
    EXPECT_EQ(ToVector(limit.bytes()), HexBytes("01 00 00 00 00 A4"));
}

TEST_F(SubscriberRecordTest, EmptySlotHidesStaleFields) {
    // As after delete: the record holds values but bit 7 of FLAG is set.
    info.SetFLAG(0x00);
    info.SetPassword("1234");
    info.SetLM(0x3F);
    info.SetDL(2);
    info.SetGr(1);
    info.SetLimIn(100);
    info.SetLimOut(200);
    info.SetID(77);
    info.SetFLAG(0x8A);
    EXPECT_EQ(info.FLAG(), 0x80);
    EXPECT_TRUE(info.Empty());
    EXPECT_FALSE(info.Activation());
    EXPECT_EQ(info.LM(), 0);
    EXPECT_EQ(info.DL(), 0);
    EXPECT_EQ(info.Gr(), 0);
    EXPECT_EQ(info.LimIn(), 0);
    EXPECT_EQ(info.LimOut(), 0);
    EXPECT_EQ(info.Password(), "");
    EXPECT_EQ(info.ID(), 77u);
}

TEST_F(SubscriberRecordTest, StoresRecomputeAbInfoChecksum) {
    info.SetFLAG(0x0B);
    info.SetID(0x12345678);
    info.SetPassword("4711");
    info.SetLM(0x3B);
    info.SetDL(1);
    info.SetGr(0x04);
    info.SetReserved1(0);
    info.SetReserved2(0);
    info.SetReserved3(255);
    info.SetLimIn(30);
    info.SetLimOut(60);
    EXPECT_EQ(Crc8(info.bytes()), 0);
    EXPECT_EQ(ToVector(info.bytes().first<32>()),
              HexBytes("0B 78 56 34 12 34 37 31 31 00 00 00 00 3B 01 00 00 00 00 00 00 00 00 FF 00 "
                       "00 04 FF 1E 00 3C 00"));
    EXPECT_EQ(info.FLAG(), 0x0B);
    EXPECT_TRUE(info.Activation());
    EXPECT_EQ(info.Password(), "4711");
}

TEST_F(SubscriberRecordTest, DateStampIsDayMonthAndLowYearByte) {
    info.SetDateStamp(1, 1, 2035);
    EXPECT_EQ(ToVector(info.bytes().subspan<20, 6>()), HexBytes("00 00 00 01 01 F3"));
    EXPECT_TRUE(info.ChecksumValid());
}

TEST_F(SubscriberRecordTest, LimitsKeepOnlyLow16Bits) {
    info.SetFLAG(0);
    info.SetLimIn(65536 + 5);
    info.SetLimOut(0x1FFFF);
    EXPECT_EQ(info.LimIn(), 5);
    EXPECT_EQ(info.LimOut(), 0xFFFF);
}

struct TextCase {
    const char* name;
    std::string stored;
    std::string expected;
};

class AbInfoPasswordTest : public SubscriberRecordTest,
                           public ::testing::WithParamInterface<TextCase> {};

TEST_P(AbInfoPasswordTest, KeepsFirstSevenCharactersAndTerminator) {
    info.SetFLAG(0);
    info.SetPassword(std::string(8, 'x'));  // leaves no zero in bytes 5..12 but the last
    info.SetPassword(GetParam().stored);
    EXPECT_EQ(info.Password(), GetParam().expected);
    EXPECT_EQ(info.bytes()[12], 0);
    for (std::size_t i = 5 + GetParam().expected.size(); i < 13; ++i) {
        EXPECT_EQ(info.bytes()[i], 0) << "byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cuts, AbInfoPasswordTest,
                         ::testing::Values(TextCase{"Empty", "", ""}, TextCase{"Short", "12", "12"},
                                           TextCase{"Seven", "1234567", "1234567"},
                                           TextCase{"Nine", "123456789", "1234567"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(SubscriberRecordTest, PasswordReadStopsBeforeByte12EvenWithoutTerminator) {
    auto bytes = info.CopyOut();
    bytes[0] = 0x00;
    for (std::size_t i = 5; i < 13; ++i) {
        bytes[i] = '7';
    }
    bytes[32] = Crc8(bytes.data(), 32);
    ASSERT_TRUE(info.CopyIn(bytes));
    EXPECT_EQ(info.Password(), "7777777");
}

struct PhoneCase {
    const char* name;
    std::string in;
    std::string out;
    std::string expectedIn;
    std::string expectedOut;
};

class AbPhoneTextTest : public SubscriberRecordTest,
                        public ::testing::WithParamInterface<PhoneCase> {};

TEST_P(AbPhoneTextTest, CutsNumbersToTheirFields) {
    const auto before = phone.bytes()[37];
    phone.SetPhoneIn(GetParam().in);
    phone.SetPhoneOut(GetParam().out);
    EXPECT_EQ(phone.PhoneIn(), GetParam().expectedIn);
    EXPECT_EQ(phone.PhoneOut(), GetParam().expectedOut);
    EXPECT_EQ(phone.bytes()[28], 0);
    EXPECT_EQ(phone.bytes()[36], 0);
    EXPECT_EQ(phone.bytes()[37], before) << "phone stores leave the checksum alone";
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, AbPhoneTextTest,
    ::testing::Values(PhoneCase{"Short", "0123456789", "12", "0123456789", "12"},
                      PhoneCase{"Exact", std::string(24, '9'), "7654321", std::string(24, '9'),
                                "7654321"},
                      PhoneCase{"Long", "012345678901234567890123456789", "0123456789",
                                "012345678901234567890123", "0123456"},
                      PhoneCase{"Empty", "", "", "", ""}),
    [](const auto& info) { return info.param.name; });

TEST_F(SubscriberRecordTest, PhoneNumericFieldsAreLittleEndian) {
    phone.SetFlagPhone(0);
    phone.SetPhoneIndex(299);
    phone.SetPhoneLen(10);
    EXPECT_EQ(ToVector(phone.bytes().first<4>()), HexBytes("00 2B 01 0A"));
    EXPECT_EQ(phone.PhoneIndex(), 299);
    EXPECT_EQ(phone.FlagPhone(), 0);
    EXPECT_EQ(phone.PhoneLen(), 10);
}

TEST_F(SubscriberRecordTest, LimitFlagsAndSeconds) {
    EXPECT_FALSE(limit.LimitOn());
    limit.SetLimitOn(true);
    limit.SetLimitIn(true);
    limit.SetLimitOut(true);
    limit.SetLimitSeconds(7200);
    EXPECT_EQ(ToVector(limit.bytes().first<5>()), HexBytes("06 20 1C 00 00"));
    EXPECT_TRUE(limit.ChecksumValid());
    EXPECT_TRUE(limit.LimitOn());
    EXPECT_TRUE(limit.LimitIn());
    EXPECT_TRUE(limit.LimitOut());
    EXPECT_EQ(limit.LimitSeconds(), 7200u);
    limit.SetLimitOn(false);
    limit.SetLimitIn(false);
    EXPECT_EQ(limit.bytes()[0], 0x05);
    EXPECT_TRUE(limit.ChecksumValid());
}

TEST_F(SubscriberRecordTest, CheckedCopyInRefusesBadChecksumOrSize) {
    auto good = HexBytes(
        "0A 01 00 00 00 31 32 00 00 00 00 00 00 3B 00 00 00 00 00 00 00 00 00 01 01 F3 01 FF 10 "
        "0E 10 0E 00");
    good[32] = Crc8(good.data(), 32);
    auto bad = good;
    bad[7] ^= 0x01;
    const auto before = ToVector(info.bytes());
    EXPECT_FALSE(info.CopyIn(bad));
    EXPECT_EQ(ToVector(info.bytes()), before);
    EXPECT_FALSE(info.CopyIn(std::span(good).first(32)));
    EXPECT_EQ(ToVector(info.bytes()), before);
    EXPECT_TRUE(info.CopyIn(good));
    EXPECT_EQ(ToVector(info.bytes()), good);
    EXPECT_EQ(info.Password(), "12");
}

TEST_F(SubscriberRecordTest, CopyOutRepairsStaleChecksumInTheImage) {
    info.bytes()[14] = 2;  // raw write, checksum now stale
    EXPECT_FALSE(info.ChecksumValid());
    const auto out = info.CopyOut();
    EXPECT_EQ(Crc8(out.data(), out.size()), 0);
    EXPECT_TRUE(info.ChecksumValid());
}

TEST_F(SubscriberRecordTest, ReadOnlyViewSeesTheSameRecord) {
    info.SetFLAG(0x08);
    info.SetGr(0x02);
    const TData& constImage = image;
    EXPECT_EQ(constImage.AbInfo(1).Gr(), 0x02);
    EXPECT_TRUE(constImage.AbInfo(1).Activation());
}

// The bytes an editor store composes, written raw so a changed bit rule in
// the record shows here.
TEST_F(SubscriberRecordTest, EditorStoreComposesLineRightsGroupAndStampBytes) {
    const struct {
        bool fxo, fxs, conference;
        std::uint8_t lm;
    } lines[] = {{false, false, false, 0x38},
                 {true, false, false, 0x39},
                 {false, true, true, 0x3E},
                 {true, true, true, 0x3F}};
    for (const auto& c : lines) {
        info.StoreLineAccess(c.fxo, c.fxs, c.conference);
        EXPECT_EQ(info.bytes()[13], c.lm) << int{c.lm};
    }
    const struct {
        bool callBack, longDistance, activation, ussdAllowed;
        std::uint8_t flag;
    } rights[] = {{false, false, false, true, 0x00}, {false, false, false, false, 0x40},
                  {true, false, false, true, 0x01},  {false, true, false, true, 0x02},
                  {false, false, true, true, 0x08},  {true, true, true, false, 0x4B}};
    for (const auto& c : rights) {
        info.SetFLAG(0xFF);
        info.StoreRights(c.callBack, c.longDistance, c.activation, c.ussdAllowed);
        EXPECT_EQ(info.bytes()[0], c.flag) << int{c.flag};
        EXPECT_FALSE(info.Empty());
    }
    const struct {
        int group;
        std::uint8_t gr;
    } groups[] = {{1, 0x01}, {5, 0x10}, {8, 0x80}, {0, 0x00}, {9, 0x00}, {-1, 0x00}};
    for (const auto& c : groups) {
        info.StoreGroup(c.group);
        EXPECT_EQ(info.bytes()[26], c.gr) << c.group;
        EXPECT_EQ(info.GroupNumber(), c.gr == 0 ? 0 : c.group);
    }
    info.SetGr(0x05);  // two groups: none shown
    EXPECT_EQ(info.GroupNumber(), 0);
    info.StampEditorStore();
    EXPECT_EQ(ToVector(info.bytes().subspan<15, 13>()),
              HexBytes("00 00 00 00 00 00 00 00 01 01 F3 05 FF"));
    EXPECT_TRUE(info.ChecksumValid());
}

TEST_F(SubscriberRecordTest, DeleteFreesSlotButKeepsPasswordAndPhoneLength) {
    info.SetFLAG(0x0B);
    info.SetPassword("1234");
    phone.StoreNumbers(4, "80501234569/8881");
    info.StoreDeleted();
    phone.StoreDeleted(4);
    EXPECT_EQ(ToVector(info.bytes().first<32>()),
              HexBytes("80 FF FF FF FF 31 32 33 34 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 "
                       "01 F3 01 00 00 00 00 00"));
    EXPECT_TRUE(info.ChecksumValid());
    EXPECT_EQ(ToVector(phone.bytes().first<5>()), HexBytes("00 04 00 04 00"));
    EXPECT_EQ(phone.Numbers(), "");
}

TEST_F(SubscriberRecordTest, TypedNumbersSplitIntoMainAndShortNumber) {
    const struct {
        std::string typed, in, out;
        int len;
        std::string shown;
    } cases[] = {
        {"80501234569/8881", "80501234569", "8881", 4, "80501234569/8881"},
        {"123\\45/6", "123", "456", 3, "123/456"},
        {"/5", "", "5", 1, "/5"},
        {"8050", "8050", "", 0, "8050"},
        {std::string(30, '1'), std::string(24, '1'), "", 0, std::string(24, '1')},
        {"1/1234567890", "1", "1234567", 10, "1/1234567"},
        {"1/" + std::string(300, '2'), "1", "2222222", 255, "1/2222222"},
    };
    for (const auto& c : cases) {
        phone.Reset();
        phone.StoreNumbers(299, c.typed);
        EXPECT_EQ(phone.PhoneIn(), c.in) << c.typed;
        EXPECT_EQ(phone.PhoneOut(), c.out) << c.typed;
        EXPECT_EQ(phone.PhoneLen(), c.len) << c.typed;
        EXPECT_EQ(phone.Numbers(), c.shown) << c.typed;
        EXPECT_EQ(ToVector(phone.bytes().first<3>()), HexBytes("00 2B 01")) << c.typed;
    }
}

}  // namespace
}  // namespace tulvo
