#include <gtest/gtest.h>

#include <stdexcept>
#include <type_traits>
#include <vector>

#include "hex_bytes.h"
#include "model/t_data.h"

namespace tulvo {
namespace {

using test::HexBytes;
using test::ToVector;

static_assert(!std::is_copy_constructible_v<TData>);
static_assert(!std::is_copy_assignable_v<TData>);
// A view of a const image only reads.
template <typename Record>
concept Storable = requires(Record r) {
    r.Reset();
};
static_assert(Storable<AbInfoRecord> && !Storable<ConstAbInfoRecord>);
static_assert(Storable<BlackListRecord> && !Storable<ConstBlackListRecord>);

class FreshImageTest : public ::testing::Test {
  protected:
    TData image;
};

TEST_F(FreshImageTest, HoldsThreeHundredEmptySubscribers) {
    const auto blankInfo = HexBytes(
        "8E FF FF FF FF 00 00 00 00 00 00 00 00 3F 00 FF FF FF FF FF 00 00 00 FF 00 00 FF FF FF FF "
        "FF FF 78");
    for (int n = 1; n <= 300; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ToVector(image.AbInfo(n).bytes()), blankInfo);
        EXPECT_EQ(ToVector(image.AbLimit(n).bytes()), HexBytes("01 00 00 00 00 A4"));
        EXPECT_EQ(image.AbPhone(n).bytes()[0], 0x80);
        EXPECT_EQ(image.AbPhone(n).bytes()[37], 0xD0);
        EXPECT_TRUE(image.AbPhone(n).ChecksumValid());
        EXPECT_EQ(image.Name(n).AbFNS, "");
    }
}

TEST_F(FreshImageTest, LineSettingsAreAllZero) {
    EXPECT_EQ(ToVector(image.SettingFXO().bytes()), std::vector<std::uint8_t>(20, 0));
    EXPECT_EQ(ToVector(image.SettingFXS().bytes()), std::vector<std::uint8_t>(20, 0));
}

TEST_F(FreshImageTest, GsmDefaultLeavesChecksumByteZero) {
    std::vector<std::uint8_t> expected(52, 0);
    expected[0] = 0x01;
    expected[1] = 0x01;
    EXPECT_EQ(ToVector(image.SettingMOB().bytes()), expected);
    EXPECT_TRUE(image.SettingMOB().AutoHangup());
    EXPECT_EQ(image.SettingMOB().RM(), 1);
    EXPECT_EQ(image.SettingMOB().SealedCopy()[51], 0x28);
}

TEST_F(FreshImageTest, PasswordIsDefault) {
    EXPECT_EQ(ToVector(image.SettingPASSWORD().bytes()), HexBytes("39 33 38 37 00 00 00 00 B4"));
}

TEST_F(FreshImageTest, AccountControlDefaultLeavesChecksumByteZero) {
    EXPECT_EQ(ToVector(image.ControlAccount().bytes()),
              HexBytes("00 01 00 2A 31 30 31 23 00000000000000000000 55 41 48 00 00 00 00 05 00 "
                       "FFFFFFFFFFFFFFFF 00"));
    EXPECT_EQ(image.ControlAccount().SealedCopy()[35], 0x64);
    const auto account = image.ControlAccount();
    EXPECT_EQ(account.USSD(), "*101#");
    EXPECT_EQ(account.UNIT(), "UAH");
    EXPECT_EQ(account.AL(), 5);
    EXPECT_EQ(account.TO1(), 1);
    EXPECT_FALSE(account.AccountOn());
}

TEST_F(FreshImageTest, ListAndSmsAreBlank) {
    for (int k = 0; k <= 186; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(ToVector(image.BlackListEntry(k).bytes()),
                  HexBytes("80 00 00000000000000000000000000000000000000 20"));
    }
    for (int m = 0; m <= 9; ++m) {
        EXPECT_EQ(ToVector(image.SMSMessage(m).bytes()), std::vector<std::uint8_t>(162, 0));
        EXPECT_EQ(image.SMSMessage(m).Text(), "");
    }
}

TEST_F(FreshImageTest, AlarmIsDefaultWithValidChecksum) {
    EXPECT_TRUE(image.SettingAlarm().ChecksumValid());
    EXPECT_EQ(image.SettingAlarm().bytes()[160], 0xE4);
}

TEST_F(FreshImageTest, IndexesOutsideTheirRangeThrow) {
    EXPECT_THROW(image.AbInfo(0), std::out_of_range);
    EXPECT_THROW(image.AbInfo(301), std::out_of_range);
    EXPECT_THROW(image.AbPhone(301), std::out_of_range);
    EXPECT_THROW(image.AbLimit(-1), std::out_of_range);
    EXPECT_THROW(image.Name(301), std::out_of_range);
    EXPECT_THROW(image.BlackListEntry(187), std::out_of_range);
    EXPECT_THROW(image.BlackListEntry(-1), std::out_of_range);
    EXPECT_THROW(image.SMSMessage(10), std::out_of_range);
}

TEST_F(FreshImageTest, SubscriberNumbersMapToDistinctElements) {
    image.AbInfo(1).SetID(1);
    image.AbInfo(300).SetID(300);
    image.AbPhone(300).SetPhoneIn("300");
    image.Name(300).AbFNS = "last";
    EXPECT_EQ(image.AbInfo(1).ID(), 1u);
    EXPECT_EQ(image.AbInfo(2).ID(), 0xFFFFFFFFu);
    EXPECT_EQ(image.AbInfo(299).ID(), 0xFFFFFFFFu);
    EXPECT_EQ(image.AbInfo(300).ID(), 300u);
    EXPECT_EQ(image.AbPhone(299).PhoneIn(), "");
    EXPECT_EQ(image.Name(299).AbFNS, "");
    EXPECT_EQ(image.Name(300).AbFNS, "last");
}

TEST(NextIdCode, CountsOnlyUsedSlotsWithBit31Clear) {
    struct Slot {
        int n;
        std::uint32_t id;
        bool used;
    };
    const struct {
        std::vector<Slot> slots;
        std::uint32_t next;
    } cases[] = {
        {{}, 1},
        {{{10, 0x80000005u, true}}, 1},
        {{{11, 300, true}, {12, 17, true}, {13, 999, false}}, 301},
        {{{1, 0, true}}, 1},
        {{{300, 0x7FFFFFFFu, true}, {2, 0xFFFFFFFFu, true}}, 0x80000000u},
    };
    for (const auto& c : cases) {
        TData image;
        for (const Slot& slot : c.slots) {
            image.AbInfo(slot.n).SetID(slot.id);
            if (slot.used) {
                image.AbInfo(slot.n).SetFLAG(0x08);
            }
        }
        EXPECT_EQ(image.NextIdCode(), c.next) << c.slots.size() << " slots";
    }
}

TEST(NextIdCode, IsReservedInTheStillEmptySlot) {
    TData image;
    image.AbInfo(4).SetFLAG(0x08);
    image.AbInfo(4).SetID(0x01020304);
    EXPECT_EQ(image.ReserveIdCode(7), 0x01020305u);
    const auto bytes = image.AbInfo(7).bytes();
    EXPECT_EQ(ToVector(bytes.subspan(0, 5)), HexBytes("8E 05 03 02 01"));
    EXPECT_TRUE(image.AbInfo(7).ChecksumValid());
    EXPECT_EQ(image.Name(7).AbIdCod, 0x01020305);
    EXPECT_EQ(image.NextIdCode(), 0x01020305u) << "a reserved ID is not yet in use";
}

}  // namespace
}  // namespace tulvo
