#include <gtest/gtest.h>

#include <random>
#include <string>

#include "store/config_file.h"
#include "support/recording_operator.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

// Fills every field the configuration file carries with random values from
// the whole range this program can set (a subscriber reference may also be
// 65535, none, and a limit 65535, no limit). Texts use characters the file
// can carry: it drops spaces outside names, and '/' splits the two phone
// numbers.
class RandomImage {
  public:
    explicit RandomImage(unsigned seed) : random_(seed) {}

    void Fill(TData& image) {
        for (LineSettingRecord line : {image.SettingFXO(), image.SettingFXS()}) {
            line.SetOCM(static_cast<int>(Below(5)));
            line.SetPM(static_cast<int>(Below(3)));
            line.SetMLDM(static_cast<int>(Below(2)));
            line.SetLMDM(static_cast<int>(Below(2)));
            line.SetVL(static_cast<int>(Below(6)));
            line.SetLMFT(Byte());
            line.SetLMNT(Byte());
            line.SetFLAG(Byte());
            line.SetPR(Byte());
            line.SetMAB(Reference());
            line.SetOUTLIM(Word());
            line.SetINLIM(Word());
            line.SetHLP(Below(3));
        }
        MobSettingRecord mob = image.SettingMOB();
        mob.SetFLAG(Byte());
        mob.SetRM(static_cast<int>(Below(5)));
        mob.SetRP(Text(48));
        image.SettingPASSWORD().SetPassword(Digits(7));
        FillAlarm(image.SettingAlarm());
        for (int k = 0; k < TData::kBlackListEntries - 1; ++k) {
            if (Below(2) == 0) {
                BlackListRecord entry = image.BlackListEntry(k);
                entry.SetFLAG(Byte() & 0x7F);
                entry.SetGM(Byte());
                entry.SetNUM(Digits(18));
            }
        }
        for (int n = 1; n <= TData::kSubscribers; ++n) {
            if (Below(2) == 0) {
                FillSubscriber(image, n);
            }
        }
        ControlAccountRecord account = image.ControlAccount();
        account.SetTO1(Word());
        account.SetUSSD(Text(11));
        account.SetUNIT(Text(7));
        account.SetAL(Word());
        for (int i = 0; i < 4; ++i) {
            account.SetAB(i, static_cast<std::int16_t>(Word()));
        }
    }

  private:
    void FillAlarm(AlarmSettingRecord alarm) {
        alarm.SetEM(Byte());
        alarm.SetMM(static_cast<std::uint32_t>(random_()));
        for (int slot = 0; slot <= 4; ++slot) {
            alarm.SetPassword(slot, Text(7));
        }
        for (int i = 1; i <= 3; ++i) {
            alarm.SetAbName(i, static_cast<std::int16_t>(Reference()));
            alarm.SetInTimeout(i, static_cast<std::uint16_t>(Below(1000)));
        }
        alarm.SetFLAG(Byte());
    }

    void FillSubscriber(TData& image, int n) {
        AbInfoRecord info = image.AbInfo(n);
        info.SetID(static_cast<std::uint32_t>(random_()));
        info.SetLimIn(Limit());
        info.SetLimOut(Limit());
        info.SetLM(static_cast<std::uint8_t>(0x38 | Below(8)));
        info.SetDL(static_cast<std::uint8_t>(Below(3)));
        info.SetGr(Byte());
        info.SetPassword(Digits(7));
        info.SetFLAG(Byte() & 0x7F);
        AbPhoneRecord phone = image.AbPhone(n);
        phone.SetPhoneIn(Text(24));
        phone.SetPhoneOut(Text(7));
        image.Name(n).AbFNS = Name();
    }

    unsigned Below(unsigned n) { return static_cast<unsigned>(random_() % n); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Below(256)); }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Below(65536)); }
    std::uint16_t Reference() { return Below(4) == 0 ? 0xFFFF : Below(1000); }
    std::uint16_t Limit() { return Below(4) == 0 ? 0xFFFF : Below(10000); }

    std::string From(std::string_view alphabet, std::size_t maxChars) {
        std::string text(Below(static_cast<unsigned>(maxChars) + 1), ' ');
        for (char& c : text) {
            c = alphabet[Below(static_cast<unsigned>(alphabet.size()))];
        }
        return text;
    }
    std::string Digits(std::size_t maxChars) { return From("0123456789", maxChars); }
    std::string Text(std::size_t maxChars) {
        return From("0123456789*#+-.:=ABCxyz\xC0\xE0\xFF", maxChars);
    }
    std::string Name() { return From("Ivan Petrov\xC8\xE2\xE0\xED.-'\"", 40); }

    std::mt19937 random_;
};

TEST(ConfigRoundTripTest, EveryWrittenImageReadsBackAsWritten) {
    test::TempDir dir;
    const std::string path = dir.File("random.cnfg");
    for (unsigned seed = 1; seed <= 40; ++seed) {
        TData written;
        RandomImage(seed).Fill(written);
        test::RecordingOperator op;
        ASSERT_TRUE(SaveConfigFile(written, path, op));
        const std::string text = test::ReadAll(path);
        TData read;
        const ConfigLoadResult result = LoadConfigFile(read, path, op);
        ASSERT_TRUE(result.Loaded()) << "seed " << seed;
        ASSERT_EQ(op.Texts(), std::vector<std::string>{}) << "seed " << seed;
        ASSERT_EQ(WriteConfigText(read), text) << "seed " << seed;
    }
}

TEST(ConfigRoundTripTest, TextsCannotAddTokensOrLines) {
    TData image;
    AbInfoRecord info = image.AbInfo(3);
    info.SetFLAG(0x08);
    image.Name(3).AbFNS = "Smith,FLAG:00,ID:99";
    image.AbPhone(3).SetPhoneIn("1,Gr:80");
    image.ControlAccount().SetUSSD("*1,AB1:0#");
    TData read;
    test::TempDir dir;
    test::WriteAll(dir.File("a.cnfg"), WriteConfigText(image));
    test::RecordingOperator op;
    ASSERT_TRUE(LoadConfigFile(read, dir.File("a.cnfg"), op).Loaded());
    EXPECT_EQ(read.Name(3).AbFNS, "Smith FLAG:00 ID:99");
    EXPECT_EQ(read.AbInfo(3).bytes()[0], 0x08);
    EXPECT_EQ(read.AbInfo(3).ID(), 0xFFFFFFFFu);
    EXPECT_EQ(read.AbInfo(3).Gr(), 0xFF);
    EXPECT_EQ(read.AbPhone(3).PhoneIn(), "1Gr:80");
    EXPECT_EQ(read.ControlAccount().AB(0), -1);
}

}  // namespace
}  // namespace tulvo
