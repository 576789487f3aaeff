#include "store/config_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <random>

#include "example_config.h"
#include "support/recording_operator.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

using test::kExample;
using test::ReadAll;
using test::RecordingOperator;
using test::TempDir;

const std::string kSubscriberError = "Ошибка при базы абонентов! Абонент № ";

void BuildExampleImage(TData& image) {
    AlarmSettingRecord alarm = image.SettingAlarm();
    alarm.SetMM(0x00010001);
    for (int position = 1; position <= 3; ++position) {
        alarm.SetAbName(position, static_cast<std::int16_t>(position - 1));
    }
    BlackListRecord entry = image.BlackListEntry(1);
    entry.SetFLAG(0x05);
    entry.SetGM(0x01);
    entry.SetNUM("8800");
    AbInfoRecord info = image.AbInfo(1);
    info.SetID(1);
    info.SetLimIn(7200);
    info.SetLimOut(7200);
    info.SetLM(0x3F);
    info.SetDL(0);
    info.SetGr(0x01);
    info.SetFLAG(0x0A);
    image.AbPhone(1).SetPhoneIn("0123456789");
    image.Name(1).AbFNS = "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED";
}

class ConfigFileTest : public ::testing::Test {
  protected:
    ConfigLoadResult Load(const std::string& text) {
        test::WriteAll(path_, text);
        return LoadConfigFile(image_, path_, op_);
    }
    ConstAbInfoRecord Info(int n) const { return std::as_const(image_).AbInfo(n); }
    const TData& Image() const { return image_; }

    TempDir dir_;
    std::string path_ = dir_.File("a.cnfg");
    TData image_;
    RecordingOperator op_;
};

TEST_F(ConfigFileTest, ExampleFileIsWrittenByteForByte) {
    BuildExampleImage(image_);
    ASSERT_TRUE(SaveConfigFile(image_, path_, op_));
    EXPECT_EQ(ReadAll(path_), kExample);
    EXPECT_TRUE(op_.entries.empty());
}

TEST_F(ConfigFileTest, ExampleFileReadsBackAndIsWrittenAgainUnchanged) {
    const ConfigLoadResult result = Load(kExample);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.messages, 0);
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(Image().Name(1).AbFNS, "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED");
    EXPECT_EQ(Image().Name(1).AbIdCod, 1);
    EXPECT_EQ(Image().AbPhone(1).PhoneIndex(), 0);
    EXPECT_EQ(Image().AbPhone(1).FlagPhone(), 0x00);
    EXPECT_EQ(Image().SettingAlarm().AbName(3), 2);
    EXPECT_EQ(Image().SettingAlarm().AbName(4), -1);
    EXPECT_EQ(Image().BlackListEntry(1).NUM(), "8800");
    EXPECT_EQ(WriteConfigText(image_), kExample);
}

TEST_F(ConfigFileTest, NameOnlyLineSetsTheNameButLeavesTheSlotEmpty) {
    Load("Ab:5,FNS:\xC8\xE2\xE0\xED/\xCF\xE5\xF2\xF0\xEE\xE2\r\n");
    EXPECT_EQ(Image().Name(5).AbFNS, "\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2");
    EXPECT_TRUE(Info(5).Empty());
    EXPECT_EQ(Image().AbPhone(5).FlagPhone() & 0x80, 0);
}

TEST_F(ConfigFileTest, SubscriberNumbersOutsideTheTableAreIgnoredSilently) {
    Load("Ab:301,ID:1\nAb:0,ID:1\nAb:1234,ID:1\nAb,ID:1\nPASSWORD:1234\n");
    EXPECT_TRUE(op_.entries.empty());
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        ASSERT_TRUE(Info(n).Empty()) << n;
    }
}

TEST_F(ConfigFileTest, SubscriberFieldsFollowTheirChecks) {
    Load(
        "Ab:7,DL:5\n"
        "Ab:8,Lim:7200/72000\n"
        "Ab:9,Gr:0x\n"
        "Ab:3,ID:1,FNS:Smith,John\n"
        "Ab:4,LM:C1,Ph:050\\12/3,Lim:10\\20\n"
        "Ab:6,FLAG:8A,Password:12345678\n");
    EXPECT_FALSE(Info(7).Empty());
    EXPECT_EQ(Info(7).DL(), 0);
    // Neither limit of 8 is stored: the blank FF FF FF FF stays.
    const auto raw8 = Info(8).bytes();
    EXPECT_TRUE(
        std::all_of(raw8.begin() + 28, raw8.begin() + 32, [](auto b) { return b == 0xFF; }));
    EXPECT_TRUE(Info(8).Empty());
    EXPECT_EQ(Image().Name(3).AbFNS, "Smith");
    EXPECT_EQ(Info(4).LM(), 0x39);  // (C1 AND 3F) OR 38
    EXPECT_EQ(Image().AbPhone(4).PhoneIn(), "050");
    EXPECT_EQ(Image().AbPhone(4).PhoneOut(), "12/3");
    EXPECT_EQ(Info(4).LimIn(), 10);
    EXPECT_EQ(Info(4).LimOut(), 20);
    // FLAG alone does not put the slot in use.
    EXPECT_TRUE(Info(6).Empty());
    EXPECT_EQ(op_.Texts(), (std::vector<std::string>{
                               "Ошибка при чтении базы абонентов! Абонент № 8",
                               kSubscriberError + "9",
                               kSubscriberError + "6",
                           }));
}

// A value the reader's own check refuses shows its line's message and changes
// nothing: the file reads as if the token were not there. A value refused by
// the record's check ends the load and leaves the image as it was.
TEST_F(ConfigFileTest, RefusedValuesShowTheirMessageAndOnlyRecordChecksEndTheLoad) {
    struct Case {
        std::string line;
        std::string without;  // the line as read when the value is refused
        std::string message;
        bool ends = false;
    };
    const std::string settings = "Ошибка при чтении настроек!";
    const std::string gsm = "Ошибка при чтении настроек GSM канала!";
    const std::string alarm = "Ошибка при чтении настроек системы оповещения";
    const Case cases[] = {
        {"FXO,OCM:1,OCM:7", "", "Недопустимое значение OutCallMode!", true},
        {"FXO,PM:3", "", "Недопустимое значение PasswordMode!", true},
        {"FXS,MLDM:2", "", "Недопустимое значение M_LDialMode!", true},
        {"FXO,LMDM:9", "", "Недопустимое значение L_MDialMode!", true},
        {"FXS,VL:6", "", "Недопустимое значение Volume!", true},
        {"GSM,RM:5", "", "Недопустимое значение ReciveMode!", true},
        {"FXO,HLP:3", "FXO", settings},
        {"FXO,HLP:4", "FXO", settings},
        {"FXO,VL:16", "FXO", settings},
        {"FXO,OCM:12", "FXO", settings},
        {"FXO,MAB:1234", "FXO", settings},
        {"FXO,MAB:65536", "FXO", settings},
        {"FXS,OUTLIM:123456", "FXS", settings},
        {"FXO,FLAG:ff", "FXO", settings},
        {"GSM,RM:45", "GSM", gsm},
        {"GSM,FLAG:1G", "GSM", gsm},
        {"GSM,RM:", "GSM", gsm},
        {"PASSWORD:12ab", "", "Ошибка при чтении пароля администратора!"},
        {"PASSWORD:12345678", "", "Ошибка при чтении пароля администратора!"},
        {"ALARM,I2:1000", "ALARM", alarm},
        {"ALARM,I2:65536", "ALARM", alarm},
        {"ALARM,T1:1000", "ALARM", alarm},
        {"ALARM,MM:123456789", "ALARM", alarm},
        {"ALARM,P1:1234567890123456789", "ALARM", alarm},
        {"BL:3,NUM:12-34", "BL:3", "Ошибка при чтении черного списка"},
        {"BL:x1", "", ""},
        {"Ab:2,Password:abc", "Ab:2", kSubscriberError + "2"},
        {"Ab:2,ID:1,Lim:10000/1", "Ab:2,ID:1", "Ошибка при чтении базы абонентов! Абонент № 2"},
        {"AC_CTRL,TO1:1.5", "AC_CTRL", settings},
        {"AC_CTRL,AL:5x", "AC_CTRL", settings},
    };
    // A line after the refused one shows whether reading went on.
    const std::string next = "\r\nAb:300,FNS:next\r\n";
    auto loaded = [&](const std::string& text, test::RecordingOperator& op) {
        auto image = std::make_unique<TData>();
        BuildExampleImage(*image);
        test::WriteAll(path_, text);
        const ConfigLoadResult result = LoadConfigFile(*image, path_, op);
        return std::pair(result, WriteConfigText(*image) + image->Name(300).AbFNS);
    };
    BuildExampleImage(image_);
    const std::string before = WriteConfigText(image_);
    test::RecordingOperator quiet;
    for (const Case& c : cases) {
        test::RecordingOperator op;
        const auto [result, after] = loaded(c.line + next, op);
        EXPECT_EQ(op.Texts(), std::vector<std::string>{c.message}) << c.line;
        EXPECT_EQ(result.stopped, c.ends) << c.line;
        EXPECT_EQ(after, c.ends ? before : loaded(c.without + next, quiet).second) << c.line;
    }
    EXPECT_TRUE(quiet.entries.empty());
}

TEST_F(ConfigFileTest, SettingsLinesStoreOnlyWhatTheyCarry) {
    image_.SettingFXO().SetEchoDepth(9);
    image_.SettingMOB().SetNoPlusReplace(true);
    image_.SettingAlarm().SetPutSMS(0x3FF);
    image_.SettingAlarm().SetAbName(5, 7);
    image_.BlackListEntry(186).SetNUM("old");
    image_.SettingPASSWORD().SetPassword("5555");
    const std::string text = WriteConfigText(image_);
    Load(text + "ALARM,EM:0F\r\nBL:187,NUM:123\r\nBL:186,NUM:999\r\nPASSWORD\r\n" +
         "GSM,RP:" + std::string(49, '1') + "\r\nAC_CTRL,AL:12.75,AB2:-1,AB3:299,TO1:65537\r\n");
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(Image().SettingFXO().EchoDepth(), 9);
    EXPECT_TRUE(Image().SettingMOB().NoPlusReplace());
    EXPECT_EQ(Image().SettingMOB().RP(), "");  // 49 characters are not stored
    TData defaults;
    defaults.SettingAlarm().SetEM(0x0F);
    EXPECT_TRUE(std::ranges::equal(Image().SettingAlarm().bytes(),
                                   std::as_const(defaults).SettingAlarm().bytes()));
    EXPECT_EQ(Image().BlackListEntry(186).NUM(), "999");
    EXPECT_EQ(Image().SettingPASSWORD().Password(), "5555");
    EXPECT_EQ(Image().ControlAccount().AL(), 12);
    EXPECT_EQ(Image().ControlAccount().AB(1), -1);
    EXPECT_EQ(Image().ControlAccount().AB(2), 299);
    EXPECT_EQ(Image().ControlAccount().TO1(), 1);  // low 16 bits of 65537
}

TEST_F(ConfigFileTest, LoadResetsSubscribersAndListButNotNamesOrElement186) {
    BuildExampleImage(image_);
    image_.BlackListEntry(186).SetNUM("186");
    image_.AbLimit(1).SetLimitSeconds(60);
    const ConfigLoadResult result = Load("PASSWORD:1234\r\n");
    EXPECT_TRUE(result.Loaded());
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_TRUE(Info(1).Empty());
    EXPECT_EQ(Image().AbPhone(1).PhoneIn(), "");
    EXPECT_TRUE(Image().BlackListEntry(1).Empty());
    EXPECT_EQ(Image().BlackListEntry(186).NUM(), "186");
    EXPECT_EQ(Image().Name(1).AbFNS, "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED");
    EXPECT_EQ(Image().AbLimit(1).LimitSeconds(), 60u);
}

TEST_F(ConfigFileTest, WhatIsNoConfigurationFileIsRefusedAndChangesNothing) {
    BuildExampleImage(image_);
    const std::string before = WriteConfigText(image_);
    test::WriteAll(dir_.File("empty.cnfg"), "");
    test::WriteAll(dir_.File("text.cnfg"), "Hello, world\nAb\n");
    // A sparse file beyond the size limit is refused before it is read.
    test::WriteAll(dir_.File("huge.cnfg"), "");
    ASSERT_EQ(::truncate(dir_.File("huge.cnfg").c_str(), off_t{1} << 30), 0);
    const std::string huge = dir_.File("huge.cnfg");
    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        {dir_.File("missing.cnfg"), "Невозможно открыть файл " + dir_.File("missing.cnfg") + "!"},
        {dir_.Path(), "Невозможно открыть файл " + dir_.Path() + "!"},
        {dir_.File("empty.cnfg"),
         "Файл " + dir_.File("empty.cnfg") + " не является файлом конфигурации!"},
        {dir_.File("text.cnfg"),
         "Файл " + dir_.File("text.cnfg") + " не является файлом конфигурации!"},
        {"/bin/ls", "Файл /bin/ls не является файлом конфигурации!"},
        {huge, "Файл " + huge + " слишком велик для файла конфигурации!"},
    };
    for (const Case& c : cases) {
        op_.entries.clear();
        const ConfigLoadResult result = LoadConfigFile(image_, c.path, op_);
        EXPECT_TRUE(result.refused) << c.path;
        EXPECT_EQ(op_.Texts(), std::vector<std::string>{c.message}) << c.path;
        EXPECT_EQ(WriteConfigText(image_), before) << c.path;
    }
}

TEST_F(ConfigFileTest, ByteOrderMarkBeforeTheFirstLineIsSkipped) {
    EXPECT_TRUE(Load("\xEF\xBB\xBF" + kExample).Loaded());
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(WriteConfigText(image_), kExample);
}

TEST_F(ConfigFileTest, UnsetNotifiedSubscriberReadsBackSilently) {
    image_.SettingAlarm().SetAbName(2, 4);
    const std::string text = WriteConfigText(image_);
    ASSERT_NE(text.find("I1:65535,I2:4,I3:65535"), std::string::npos);
    image_.SettingAlarm().SetAbName(1, 9);
    Load(text);
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(Image().SettingAlarm().AbName(1), -1);
    EXPECT_EQ(Image().SettingAlarm().AbName(2), 4);
}

TEST_F(ConfigFileTest, UnsetLimitsAndMainSubscriberReadBackSilently) {
    image_.AbInfo(4).SetFLAG(0x08);  // in use with the blank record's limits
    image_.SettingFXS().SetMAB(0xFFFF);
    const std::string text = WriteConfigText(image_);
    ASSERT_NE(text.find("Ab:4,ID:FFFFFFFF,Lim:65535/65535,"), std::string::npos);
    ASSERT_NE(text.find(",MAB:65535,"), std::string::npos);
    image_.SettingFXS().SetMAB(3);
    Load(text + "Ab:5,Lim:65535/65536\r\n");
    EXPECT_EQ(op_.Texts(),
              std::vector<std::string>{"Ошибка при чтении базы абонентов! Абонент № 5"});
    EXPECT_FALSE(Info(4).Empty());
    EXPECT_EQ(Info(4).LimIn(), 65535);
    EXPECT_EQ(Image().SettingFXS().MAB(), 0xFFFF);
    EXPECT_EQ(WriteConfigText(image_), text);  // slot 5 was refused and stays empty
}

TEST_F(ConfigFileTest, EmptyChannelPasswordReadsBackSilently) {
    image_.SettingAlarm().SetPassword(2, "");
    const std::string text = WriteConfigText(image_);
    ASSERT_NE(text.find(",P2:,"), std::string::npos);
    Load(text);
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(Image().SettingAlarm().Password(2), "");
    EXPECT_EQ(Image().SettingAlarm().Password(3), "9387");
}

TEST_F(ConfigFileTest, OverlongNameIsShortenedSoTheLineReadsBackAsWritten) {
    BuildExampleImage(image_);
    image_.Name(1).AbFNS = std::string(400, 'x') + " y";
    image_.AbInfo(1).SetPassword("1234567");
    image_.AbPhone(1).SetPhoneOut("7654321");
    const std::string text = WriteConfigText(image_);
    const auto start = text.find("Ab:1,");
    const std::string line = text.substr(start, text.find("\r\n", start) - start);
    EXPECT_EQ(line.size(), 255u);
    Load(text);
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(Image().Name(1).AbFNS, line.substr(line.find("FNS:") + 4));
    EXPECT_EQ(WriteConfigText(image_), text);
}

TEST_F(ConfigFileTest, LineBreaksInsideTextsCannotStartNewLines) {
    image_.AbInfo(2).SetFLAG(0x08);
    image_.Name(2).AbFNS = "a\r\nPASSWORD:1111\nb";
    Load(WriteConfigText(image_));
    EXPECT_EQ(Image().SettingPASSWORD().Password(), "9387");
    EXPECT_EQ(Image().Name(2).AbFNS, "aPASSWORD:1111b");
}

TEST_F(ConfigFileTest, LongLinesAreSplitAfter255Characters) {
    // Spaces and CR do not count. "Ab:1,ID:1,FNS:" and 241 characters fill the
    // line; the 256th ('L') is lost and the rest is read as a line of its own.
    Load("Ab:1, ID:1,FNS:" + std::string(241, 'n') + "LPASSWORD:2468\r\n");
    EXPECT_EQ(Image().Name(1).AbFNS, std::string(241, 'n'));
    EXPECT_EQ(Image().SettingPASSWORD().Password(), "2468");
    // One character less: 'L' is kept, 'P' is lost, "ASSWORD:1357" selects nothing.
    Load("Ab:1,ID:1,FNS:" + std::string(240, 'n') + "LPASSWORD:1357\r\n" + "PASSWORD:1" +
         std::string(300, ' ') + "1\n");
    EXPECT_EQ(Image().Name(1).AbFNS, std::string(240, 'n') + "L");
    EXPECT_EQ(Image().SettingPASSWORD().Password(), "11");
    EXPECT_TRUE(op_.entries.empty());
}

TEST_F(ConfigFileTest, SaveCreatesReadableFilesAndKeepsTheModeOfOldOnes) {
    ASSERT_TRUE(SaveConfigFile(image_, path_, op_));
    EXPECT_EQ(test::ModeOf(path_), 0644u);
    ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
    ASSERT_TRUE(SaveConfigFile(image_, path_, op_));
    EXPECT_EQ(test::ModeOf(path_), 0600u);
}

TEST_F(ConfigFileTest, SaveThatCannotCreateItsFileIsReported) {
    const std::string path = dir_.File("no/such/folder/a.cnfg");
    EXPECT_FALSE(SaveConfigFile(image_, path, op_));
    EXPECT_EQ(op_.Texts(), (std::vector<std::string>{"Невозможно сохранить файл " + path + "!"}));
}

TEST_F(ConfigFileTest, HostileInputChangesNothingButTheReset) {
    image_.SettingPASSWORD().SetPassword("2222");
    const auto settings = std::as_const(image_).SettingFXO().SealedCopy();
    // Random bytes without any of the line kinds' keys, then a 10 MB line.
    std::mt19937 random(7);
    std::string noise(1 << 20, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() % 256);
        if (c == ',' || c == '\n') {
            c = '.';  // keeps every line a single unknown token
        }
    }
    Load(noise + "\n" + std::string(10 << 20, 'A') + "\n" + kExample.substr(0, 30));
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_EQ(Image().SettingPASSWORD().Password(), "2222");
    EXPECT_EQ(std::as_const(image_).SettingFXO().SealedCopy(), settings);
}

TEST_F(ConfigFileTest, EndlessInputIsRefusedWithBoundedMemory) {
    // A pipe that is never empty: nothing tells its size before reading.
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    const ConfigLoadResult result = LoadConfigFile(image_, "/dev/zero", op_);
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 * 1024);  // KiB
    EXPECT_TRUE(result.refused);
    EXPECT_EQ(op_.Texts(),
              std::vector<std::string>{"Файл /dev/zero слишком велик для файла конфигурации!"});
}

}  // namespace
}  // namespace tulvo
