#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hex_bytes.h"
#include "link/crc8.h"
#include "model/record_error.h"
#include "model/t_data.h"

namespace tulvo {
namespace {

using test::HexBytes;
using test::ToVector;

// A checked store that must refuse value with message, leaving the record as
// it was, and accept the largest valid value.
struct CheckedStoreCase {
    const char* name;
    std::function<void(TData&, int)> store;
    std::function<std::vector<std::uint8_t>(TData&)> record;
    int largestValid;
    int refused;
    const char* message;
};

class CheckedStoreTest : public ::testing::TestWithParam<CheckedStoreCase> {};

TEST_P(CheckedStoreTest, RefusesOutOfRangeAndKeepsRecord) {
    const auto& c = GetParam();
    TData image;
    c.store(image, c.largestValid);
    const auto before = c.record(image);
    try {
        c.store(image, c.refused);
        FAIL() << "no error raised";
    } catch (const RecordError& error) {
        EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(c.record(image), before);
}

std::vector<std::uint8_t> Fxo(TData& image) {
    return ToVector(image.SettingFXO().bytes());
}
std::vector<std::uint8_t> Fxs(TData& image) {
    return ToVector(image.SettingFXS().bytes());
}
std::vector<std::uint8_t> Mob(TData& image) {
    return ToVector(image.SettingMOB().bytes());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CheckedStoreTest,
    ::testing::Values(CheckedStoreCase{"OCM", [](TData& d, int v) { d.SettingFXO().SetOCM(v); },
                                       Fxo, 4, 5, "Недопустимое значение OutCallMode!"},
                      CheckedStoreCase{"OCMNegative",
                                       [](TData& d, int v) { d.SettingFXO().SetOCM(v); }, Fxo, 4,
                                       -1, "Недопустимое значение OutCallMode!"},
                      CheckedStoreCase{"PM", [](TData& d, int v) { d.SettingFXS().SetPM(v); }, Fxs,
                                       2, 3, "Недопустимое значение PasswordMode!"},
                      CheckedStoreCase{"MLDM", [](TData& d, int v) { d.SettingFXO().SetMLDM(v); },
                                       Fxo, 1, 2, "Недопустимое значение M_LDialMode!"},
                      CheckedStoreCase{"LMDM", [](TData& d, int v) { d.SettingFXS().SetLMDM(v); },
                                       Fxs, 1, 2, "Недопустимое значение L_MDialMode!"},
                      CheckedStoreCase{"VL", [](TData& d, int v) { d.SettingFXO().SetVL(v); }, Fxo,
                                       5, 0x06, "Недопустимое значение Volume!"},
                      CheckedStoreCase{"VLLowNibble",
                                       [](TData& d, int v) { d.SettingFXO().SetVL(v); }, Fxo, 0x15,
                                       0x1F, "Недопустимое значение Volume!"},
                      CheckedStoreCase{"RM", [](TData& d, int v) { d.SettingMOB().SetRM(v); }, Mob,
                                       4, 5, "Недопустимое значение ReciveMode!"}),
    [](const auto& info) { return info.param.name; });

TEST(LineSettingRecordTest, AllZeroRecordIsValid) {
    TData image;
    EXPECT_EQ(ToVector(image.SettingFXO().bytes()), std::vector<std::uint8_t>(20, 0));
    EXPECT_TRUE(image.SettingFXO().ChecksumValid());
    EXPECT_TRUE(image.SettingFXS().ChecksumValid());
}

TEST(LineSettingRecordTest, VolumeKeepsOnlyLowNibble) {
    TData image;
    image.SettingFXO().SetVL(0x13);
    EXPECT_EQ(image.SettingFXO().bytes()[11], 0x03);
    EXPECT_EQ(image.SettingFXO().VL(), 3);
}

TEST(LineSettingRecordTest, FieldsAreCutToTheirWidths) {
    TData image;
    auto fxo = image.SettingFXO();
    fxo.SetLMFT(0x1FF);
    fxo.SetLMNT(300);
    fxo.SetOUTLIM(70000);
    fxo.SetINLIM(65535);
    fxo.SetMAB(299);
    fxo.SetPR(99);
    EXPECT_EQ(ToVector(fxo.bytes()),
              HexBytes("00 00 00 00 00 00 FF 00 2C 00 00 00 2B 01 63 FF FF FF FF 00"));
    EXPECT_EQ(fxo.LMFT(), 0xFF);
    EXPECT_EQ(fxo.LMNT(), 44);
    EXPECT_EQ(fxo.OUTLIM(), 65535);
    EXPECT_EQ(fxo.MAB(), 299);
    EXPECT_FALSE(fxo.ChecksumValid()) << "these stores leave the checksum stale";
}

TEST(LineSettingRecordTest, SubFieldsAreMaskedIntoTheirBits) {
    TData image;
    auto fxs = image.SettingFXS();
    fxs.SetFLAG(0xFF);
    fxs.SetCallerID(2);
    EXPECT_EQ(fxs.bytes()[10], 0xBF);
    fxs.SetForwardToMain(false);
    fxs.SetBusyControl(false);
    EXPECT_EQ(fxs.bytes()[10], 0x9E);
    EXPECT_TRUE(fxs.PreDialing());
    EXPECT_EQ(fxs.CallerID(), 2);

    fxs.SetEchoDepth(0x1A);
    fxs.SetEchoLength(3);
    EXPECT_EQ(fxs.bytes()[3], 0x3A);
    EXPECT_EQ(fxs.EchoDepth(), 0x0A);
    EXPECT_EQ(fxs.EchoLength(), 3);

    fxs.SetHLP(2);
    fxs.SetFlashTime(3);
    fxs.SetEndSignal(1);
    fxs.SetEndSignalTime(2);
    EXPECT_EQ(fxs.bytes()[4], 0x9E);
    fxs.SetHLP(7);  // only two bits
    EXPECT_EQ(fxs.bytes()[4], 0x9F);

    fxs.SetRingTime1(6);
    fxs.SetRingTime2(2 + 16);
    EXPECT_EQ(fxs.bytes()[14], 0xD2);
    EXPECT_EQ(fxs.RingTime1(), 6);
    EXPECT_EQ(fxs.RingTime2(), 18);
}

TEST(LineSettingRecordTest, FileKeysWithoutFieldReadZeroAndStoreNothing) {
    TData image;
    auto fxo = image.SettingFXO();
    fxo.SetMLFT(12);
    fxo.SetMLNT(34);
    EXPECT_EQ(fxo.MLFT(), 0);
    EXPECT_EQ(fxo.MLNT(), 0);
    EXPECT_EQ(ToVector(fxo.bytes()), std::vector<std::uint8_t>(20, 0));
}

TEST(MobSettingRecordTest, ReceptionModeKeepsUpperBits) {
    TData image;
    auto mob = image.SettingMOB();
    mob.bytes()[1] = 0x45;
    mob.SetRM(3);
    EXPECT_EQ(mob.bytes()[1], 0x43);
    EXPECT_TRUE(mob.NoPlusReplace());
    mob.SetNoPlusReplace(false);
    EXPECT_EQ(mob.bytes()[1], 0x03);
}

TEST(MobSettingRecordTest, FlagSubFields) {
    TData image;
    auto mob = image.SettingMOB();
    mob.SetFLAG(0);
    mob.SetAutoHangup(true);
    mob.SetUnidentifiedCallBack(true);
    mob.SetNumberSuppression(2);
    mob.SetUnidentifiedNoAnswer(true);
    mob.SetDtmfTime(7);
    EXPECT_EQ(mob.bytes()[0], 0xFB);
    mob.SetNumberSuppression(1);
    EXPECT_EQ(mob.bytes()[0], 0xF7);
    EXPECT_EQ(mob.DtmfTime(), 7);
    EXPECT_EQ(mob.NumberSuppression(), 1);
}

TEST(MobSettingRecordTest, RoutingNumberLongerThan48IsIgnored) {
    TData image;
    auto mob = image.SettingMOB();
    mob.SetRP("0441234567");
    mob.SetRP(std::string(49, '5'));
    EXPECT_EQ(mob.RP(), "0441234567");
    mob.SetRP(std::string(48, '5'));
    EXPECT_EQ(mob.RP(), std::string(48, '5'));
    EXPECT_EQ(mob.bytes()[50], 0);
}

TEST(PasswordSettingRecordTest, StoresSevenCharactersAndRecomputesChecksum) {
    TData image;
    auto password = image.SettingPASSWORD();
    EXPECT_EQ(ToVector(password.bytes()), HexBytes("39 33 38 37 00 00 00 00 B4"));
    password.SetPassword("123456789");
    EXPECT_EQ(password.Password(), "1234567");
    EXPECT_EQ(password.bytes()[7], 0);
    EXPECT_TRUE(password.ChecksumValid());
}

TEST(ControlAccountRecordTest, UssdKeepsElevenCharacters) {
    TData image;
    auto account = image.ControlAccount();
    account.SetUSSD("*111*222*33#");  // 12 characters
    EXPECT_EQ(account.USSD(), "*111*222*33");
    EXPECT_EQ(account.bytes()[14], 0);
    account.SetUSSD("*100#");
    EXPECT_EQ(account.USSD(), "*100#");
    EXPECT_EQ(ToVector(account.bytes().subspan<3, 15>()),
              HexBytes("2A 31 30 30 23 00 00 00 00 00 00 00 00 00 00"));
}

TEST(ControlAccountRecordTest, SevenCharacterUnitWithThresholdReadsBack) {
    TData image;
    auto account = image.ControlAccount();
    account.SetUNIT("HRYVNIA");
    account.SetAL(5);
    EXPECT_EQ(account.UNIT(), "HRYVNIA");
    EXPECT_EQ(account.AL(), 5);
}

TEST(ControlAccountRecordTest, UnitStoreKeepsThreshold) {
    TData image;
    auto account = image.ControlAccount();
    account.SetAL(300);
    account.SetUNIT("EUR");
    EXPECT_EQ(account.AL(), 300);
    EXPECT_EQ(account.UNIT(), "EUR");
    EXPECT_EQ(ToVector(account.bytes().subspan<18, 9>()), HexBytes("45 55 52 00 00 00 00 2C 01"));
}

TEST(ControlAccountRecordTest, ThresholdIsWholeUnitsLow16Bits) {
    TData image;
    auto account = image.ControlAccount();
    account.SetAL(12.99);
    EXPECT_EQ(account.AL(), 12);
    account.SetAL(65536 + 7.5);
    EXPECT_EQ(account.AL(), 7);
}

TEST(ControlAccountRecordTest, SubscriberReferencesByIndex) {
    TData image;
    auto account = image.ControlAccount();
    account.SetAB(0, 4);
    account.SetAB(3, 299);
    account.SetAB(4, 9);
    account.SetAB(-1, 9);
    EXPECT_EQ(account.AB(0), 4);
    EXPECT_EQ(account.AB(1), -1);
    EXPECT_EQ(account.AB(3), 299);
    EXPECT_EQ(account.AB(4), -1);
    EXPECT_EQ(ToVector(account.bytes().subspan<27, 8>()), HexBytes("04 00 FF FF FF FF 2B 01"));
    account.SetTO1(24);
    account.SetAccountOn(true);
    EXPECT_EQ(ToVector(account.bytes().first<3>()), HexBytes("01 18 00"));
}

TEST(SettingsRecordTest, SealedCopyLeavesImageChecksumStale) {
    TData image;
    auto fxo = image.SettingFXO();
    fxo.SetOCM(3);
    const auto copy = fxo.SealedCopy();
    EXPECT_EQ(Crc8(copy.data(), copy.size()), 0);
    EXPECT_EQ(fxo.bytes()[19], 0);
    EXPECT_FALSE(fxo.ChecksumValid());
}

TEST(SettingsRecordTest, CheckedCopyInNeedsValidChecksum) {
    TData image;
    auto mob = image.SettingMOB();
    std::vector<std::uint8_t> incoming(52, 0);
    incoming[0] = 0x01;
    incoming[1] = 0x02;
    incoming[2] = '1';
    incoming[3] = '2';
    incoming[4] = '3';
    incoming.back() = Crc8(incoming.data(), 51) ^ 0x01;
    EXPECT_FALSE(mob.CopyIn(incoming));
    EXPECT_EQ(mob.RP(), "");
    incoming.back() = Crc8(incoming.data(), 51);
    EXPECT_TRUE(mob.CopyIn(incoming));
    EXPECT_EQ(mob.RP(), "123");
    EXPECT_EQ(mob.RM(), 2);
}

}  // namespace
}  // namespace tulvo
