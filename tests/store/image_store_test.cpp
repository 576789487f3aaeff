#include "store/image_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "store/regedit_format.h"
#include "store/window_options.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

using test::ReadAll;
using test::TempDir;

const std::string kDBase = "HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\DBase";
const std::string kSetting = "HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting";

class ImageStoreTest : public ::testing::Test {
  protected:
    RegistryTree FileTree() const { return ReadRegeditText(ReadAll(path_)); }

    // Puts a subscriber in use with every stored piece set.
    static void FillSubscriber(TData& image, int n) {
        AbInfoRecord info = image.AbInfo(n);
        info.SetID(static_cast<std::uint32_t>(100 + n));
        info.SetLimIn(static_cast<std::uint32_t>(n));
        info.SetFLAG(0x0A);
        image.Name(n).AbFNS = "\xC8\xE2\xE0\xED " + std::to_string(n);
        image.Name(n).AbIdCod = 100 + n;
        AbPhoneRecord phone = image.AbPhone(n);
        phone.SetFlagPhone(0);
        phone.SetPhoneIn("0501234" + std::to_string(n));
        phone.SetPhoneOut("12");
    }

    TempDir dir_;
    std::string path_ = dir_.File("MTulvo.reg");
    RegistryStore store_{path_};
};

TEST_F(ImageStoreTest, FirstStartGivesEmptySubscribersAndDefaultsThenExitCreatesEveryValue) {
    TData image;
    const TData defaults;
    LoadImage(image, store_);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        const ConstAbInfoRecord info = std::as_const(image).AbInfo(n);
        ASSERT_TRUE(info.Empty()) << n;
        ASSERT_EQ(info.ID(), static_cast<std::uint32_t>(n));
        ASSERT_TRUE(info.ChecksumValid());
        ASSERT_EQ(image.Name(n).AbFNS, "");
        ASSERT_EQ(image.Name(n).AbIdCod, -1);
        ASSERT_EQ(std::as_const(image).AbPhone(n).FlagPhone(), 0xFF);
    }
    auto same = [](auto a, auto b) {
        return std::equal(a.bytes().begin(), a.bytes().end(), b.bytes().begin());
    };
    const TData& loaded = image;
    EXPECT_TRUE(same(loaded.SettingMOB(), defaults.SettingMOB()));
    EXPECT_TRUE(same(loaded.SettingAlarm(), defaults.SettingAlarm()));
    EXPECT_TRUE(same(loaded.ControlAccount(), defaults.ControlAccount()));
    EXPECT_TRUE(same(loaded.BlackListEntry(186), defaults.BlackListEntry(186)));
    EXPECT_EQ(store_.SaveCount(), 0);

    ASSERT_TRUE(SaveImage(image, store_));
    EXPECT_EQ(store_.SaveCount(), 1);  // one save for the whole image
    const RegistryTree tree = FileTree();
    EXPECT_EQ(tree.FindKey(kDBase)->values.size(), 300u * 6);
    // 5 settings blocks, the alarm, 187 list entries, 10 messages.
    EXPECT_EQ(tree.FindKey(kSetting)->values.size(), 5u + 1 + 187 + 10);
    EXPECT_EQ(test::ModeOf(path_), 0600u);
}

TEST_F(ImageStoreTest, SubscribersRoundTripAndOneDamagedRecordComesUpEmpty) {
    TData image;
    for (int n : {4, 5, 6}) {
        FillSubscriber(image, n);
    }
    ASSERT_TRUE(SaveSubscribers(image, store_));
    // Change one byte of subscriber 5's record in the file.
    std::string text = ReadAll(path_);
    const auto at = text.find("\"AbInfo5\"=hex:0a,");
    ASSERT_NE(at, std::string::npos);
    text.replace(at + 14, 2, "0b");
    test::WriteAll(path_, text);

    TData loaded;
    LoadSubscribers(loaded, store_);
    for (int n : {4, 6}) {
        const ConstAbInfoRecord info = std::as_const(loaded).AbInfo(n);
        EXPECT_FALSE(info.Empty());
        EXPECT_EQ(info.ID(), static_cast<std::uint32_t>(100 + n));
        EXPECT_EQ(loaded.Name(n).AbFNS, image.Name(n).AbFNS);
        EXPECT_EQ(loaded.Name(n).AbIdCod, 100 + n);
        const ConstAbPhoneRecord phone = std::as_const(loaded).AbPhone(n);
        EXPECT_EQ(phone.PhoneIn(), "0501234" + std::to_string(n));
        EXPECT_EQ(phone.PhoneLen(), 8);  // the length of PhoneIn
        EXPECT_EQ(phone.PhoneOut(), "12");
        EXPECT_EQ(phone.FlagPhone(), 0);
    }
    const ConstAbInfoRecord damaged = std::as_const(loaded).AbInfo(5);
    EXPECT_TRUE(damaged.Empty());
    EXPECT_EQ(damaged.ID(), 5u);
    EXPECT_EQ(loaded.Name(5).AbFNS, "");
    EXPECT_EQ(loaded.Name(5).AbIdCod, -1);
    EXPECT_EQ(std::as_const(loaded).AbPhone(5).PhoneIn(), "");
    EXPECT_EQ(std::as_const(loaded).AbPhone(5).FlagPhone(), 0xFF);
}

TEST_F(ImageStoreTest, MissingCompanionValuesTakeTheirDefaults) {
    TData image;
    FillSubscriber(image, 9);
    const auto record = image.AbInfo(9).CopyOut();
    {
        RegistryKey key = store_.OpenKey(kDBaseKey);
        key.WriteBinary("AbInfo9", record);
        key.WriteString("AbIdCod9", "not an integer");
    }
    TData loaded;
    LoadSubscribers(loaded, store_);
    EXPECT_FALSE(std::as_const(loaded).AbInfo(9).Empty());
    EXPECT_EQ(loaded.Name(9).AbFNS, "");
    EXPECT_EQ(loaded.Name(9).AbIdCod, -1);
    EXPECT_EQ(std::as_const(loaded).AbPhone(9).FlagPhone(), 0xFF);
}

TEST_F(ImageStoreTest, SavingOneSubscriberRewritesOnlyItsSixValues) {
    TData image;
    LoadImage(image, store_);
    ASSERT_TRUE(SaveImage(image, store_));
    const RegistryTree before = FileTree();
    FillSubscriber(image, 7);
    FillSubscriber(image, 8);
    ASSERT_TRUE(SaveSubscribers(image, store_, 7));
    const RegistryTree after = FileTree();
    std::set<std::string> changed;
    for (const auto& key : after.Keys()) {
        for (const auto& [name, value] : key.values) {
            const RegistryValue* old = before.Find(key.path, name);
            if (old == nullptr || !(*old == value)) {
                changed.insert(name);
            }
        }
    }
    EXPECT_EQ(changed, (std::set<std::string>{"AbInfo7", "AbFNS7", "AbIdCod7", "PhoneIn7",
                                              "PhoneOut7", "FlagPhone7"}));
}

TEST_F(ImageStoreTest, ExitSaveKeepsWhatAnotherProgramChangedMeanwhile) {
    TData seed;
    FillSubscriber(seed, 5);
    ASSERT_TRUE(SaveImage(seed, store_));

    TData running;  // a program started before the other one's change
    LoadImage(running, store_);
    {
        RegistryStore other(path_);
        TData changed;
        LoadImage(changed, other);
        changed.Name(5).AbFNS = "renamed";
        changed.SettingPASSWORD().SetPassword("4444");
        ASSERT_TRUE(SaveImage(changed, other));
    }
    running.Name(6).AbFNS = "own change";
    running.AbInfo(6).SetFLAG(0x08);
    ASSERT_TRUE(SaveImage(running, store_));

    RegistryStore reader(path_);
    TData result;
    LoadImage(result, reader);
    EXPECT_EQ(result.Name(5).AbFNS, "renamed");
    EXPECT_EQ(std::as_const(result).SettingPASSWORD().Password(), "4444");
    EXPECT_EQ(result.Name(6).AbFNS, "own change");
}

// Values just read from the gateway are this program's own even where they
// equal what it loaded: after the read the store holds what the gateway
// holds, also where another program saved something else meanwhile.
TEST_F(ImageStoreTest, SaveAfterAReadMirrorsTheGatewayOverAnotherProgramsChange) {
    TData seed;
    FillSubscriber(seed, 5);
    ASSERT_TRUE(SaveImage(seed, store_));
    TData read;  // loaded, then read from a gateway that holds what was loaded
    LoadImage(read, store_);
    {
        RegistryStore other(path_);
        TData imported;
        LoadImage(imported, other);
        imported.Name(5).AbFNS = "imported";
        FillSubscriber(imported, 7);
        imported.SettingPASSWORD().SetPassword("4444");
        ASSERT_TRUE(SaveImage(imported, other));
    }
    ASSERT_TRUE(SaveReadImage(read, store_));

    RegistryStore reader(path_);
    TData result;
    LoadImage(result, reader);
    EXPECT_EQ(result.Name(5).AbFNS, seed.Name(5).AbFNS);
    EXPECT_TRUE(std::as_const(result).AbInfo(7).Empty());
    EXPECT_EQ(std::as_const(result).SettingPASSWORD().Password(),
              std::as_const(seed).SettingPASSWORD().Password());
}

// Element 0 is kept too, so the gateway's first entry survives a restart; a
// store written without it leaves the element as it is.
TEST_F(ImageStoreTest, BlackListKeepsElementsZeroTo186AcrossARestart) {
    TData image;
    for (int k : {0, 1, 186}) {
        image.BlackListEntry(k).SetFLAG(0x05);
        image.BlackListEntry(k).SetNUM(std::to_string(8800 + k));
    }
    ASSERT_TRUE(SaveImage(image, store_));
    const RegistryTree tree = FileTree();
    ASSERT_NE(tree.Find(kSetting, "BlackList0"), nullptr);
    EXPECT_EQ(tree.Find(kSetting, "BlackList0")->data.substr(2, 4), "8800");
    ASSERT_NE(tree.Find(kSetting, "BlackList186"), nullptr);
    EXPECT_EQ(tree.Find(kSetting, "BlackList187"), nullptr);
    EXPECT_EQ(tree.Find(kSetting, "BlackList1")->data.substr(2, 4), "8801");

    RegistryStore restarted(path_);
    TData loaded;
    LoadImage(loaded, restarted);
    for (int k : {0, 1, 186}) {
        EXPECT_TRUE(std::ranges::equal(std::as_const(loaded).BlackListEntry(k).bytes(),
                                       image.BlackListEntry(k).bytes()))
            << k;
    }

    // A store from before element 0 was kept.
    RegistryStore oldStore(dir_.File("old.reg"));
    oldStore.OpenKey(kSettingKey)
        .WriteBinary("BlackList186", image.BlackListEntry(186).SealedCopy());
    TData older;
    older.BlackListEntry(0).SetNUM("keep");
    LoadBlackList(older, oldStore);
    EXPECT_EQ(std::as_const(older).BlackListEntry(0).NUM(), "keep");
    EXPECT_EQ(std::as_const(older).BlackListEntry(186).NUM(), "8986");
}

TEST_F(ImageStoreTest, RecordsWithBadChecksumOrWrongSizeKeepTheirState) {
    TData image;
    image.SettingPASSWORD().SetPassword("1234");
    image.SMSMessage(3).SetText("alarm 1");
    ASSERT_TRUE(SaveSettings(image, store_));
    ASSERT_TRUE(SaveSms(image, store_));
    {
        RegistryKey key = store_.OpenKey(kSettingKey);
        std::vector<std::uint8_t> bytes = *key.ReadBinary("SettingPASSWORD");
        bytes[0] ^= 1;
        key.WriteBinary("SettingPASSWORD", bytes);
        bytes = *key.ReadBinary("SMSMessage3");
        bytes.push_back(0);  // larger than the record; Crc8 over it is still 0
        key.WriteBinary("SMSMessage3", bytes);
    }
    TData loaded;
    LoadSettings(loaded, store_);
    LoadSms(loaded, store_);
    EXPECT_EQ(std::as_const(loaded).SettingPASSWORD().Password(), "9387");
    EXPECT_EQ(std::as_const(loaded).SMSMessage(3).Text(), "");
}

TEST_F(ImageStoreTest, SettingsAreSavedWithFreshChecksumsAndLoadBack) {
    TData image;
    image.SettingFXO().SetOUTLIM(300);  // leaves the checksum stale in the image
    image.ControlAccount().SetUNIT("EUR");
    image.SettingAlarm().SetEM(0x0F);
    ASSERT_TRUE(SaveSettings(image, store_));
    ASSERT_TRUE(SaveAlarm(image, store_));
    TData loaded;
    LoadSettings(loaded, store_);
    LoadAlarm(loaded, store_);
    EXPECT_EQ(std::as_const(loaded).SettingFXO().OUTLIM(), 300);
    EXPECT_EQ(std::as_const(loaded).ControlAccount().UNIT(), "EUR");
    EXPECT_EQ(std::as_const(loaded).SettingAlarm().EM(), 0x0F);
}

TEST_F(ImageStoreTest, WindowOptionsFallBackToDefaultsAndWriteThem) {
    {
        RegistryKey key = store_.OpenKey(kSettingKey);
        key.WriteString("PortName", "ttyUSB3");
        key.WriteBool("USB_COM", true);  // "ABHelpEnable" missing
    }
    const MainWindowOptions options = LoadMainWindowOptions(store_);
    EXPECT_EQ(options.portName, "ttyUSB3");
    EXPECT_FALSE(options.usbCom);
    EXPECT_TRUE(options.abHelpEnable);
    {
        const RegistryKey key = store_.OpenKey(kSettingKey);
        EXPECT_EQ(key.ReadString("PortName"), "ttyS0");
        EXPECT_EQ(key.ReadBool("USB_COM"), false);
        EXPECT_EQ(key.ReadBool("ABHelpEnable"), true);
    }
    ASSERT_TRUE(SaveMainWindowOptions(store_, {"ttyACM0", true, false}));
    const MainWindowOptions back = LoadMainWindowOptions(store_);
    EXPECT_EQ(back.portName, "ttyACM0");
    EXPECT_TRUE(back.usbCom);
    EXPECT_FALSE(back.abHelpEnable);

    EXPECT_TRUE(LoadDeviceHelpEnable(store_));
    ASSERT_TRUE(SaveDeviceHelpEnable(store_, false));
    EXPECT_FALSE(LoadDeviceHelpEnable(store_));
}

}  // namespace
}  // namespace tulvo
