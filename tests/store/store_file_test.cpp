#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "example_config.h"
#include "store/config_file.h"
#include "store/image_store.h"
#include "store/window_options.h"
#include "support/recording_operator.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

using test::ReadAll;
using test::TempDir;

// UTF-16LE bytes of text, as regedit writes its default export.
std::string Utf16(std::u16string_view text) {
    std::string out;
    for (char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

// The image as far as the configuration file carries it.
std::string Fingerprint(RegistryStore& store) {
    TData image;
    LoadImage(image, store);
    return WriteConfigText(image);
}

class StoreFileTest : public ::testing::Test {
  protected:
    TempDir dir_;
    std::string path_ = dir_.File("MTulvo.reg");
};

TEST_F(StoreFileTest, RegeditsUnicodeExportIsUsedAndSavedInItsFormat) {
    const std::string file =
        "\xFF\xFE" + Utf16(
                         u"Windows Registry Editor Version 5.00\r\n\r\n"
                         u"[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                         u"; someone else's\r\n"
                         u"\"Name\"=\"\u65e5\u672c\"\r\n\r\n"
                         u"[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n"
                         u"\"PortName\"=\"\u043f\u043e\u0440\u0442\"\r\n"
                         u"\"USB_COM\"=dword:00000001\r\n"
                         u"\"ABHelpEnable\"=dword:00000000\r\n\r\n");
    test::WriteAll(path_, file);
    RegistryStore store(path_);
    ASSERT_TRUE(store.Open()) << store.Problem();
    const MainWindowOptions options = LoadMainWindowOptions(store);
    EXPECT_EQ(options.portName, "\xEF\xEE\xF0\xF2");  // Windows-1251 for the program
    EXPECT_TRUE(options.usbCom);
    ASSERT_TRUE(SaveMainWindowOptions(store, {"\xEF\xEE\xF0\xF2 2", true, false}));
    const std::string expected =
        "\xFF\xFE" + Utf16(
                         u"Windows Registry Editor Version 5.00\r\n\r\n"
                         u"[HKEY_CURRENT_USER\\Software\\Other]\r\n"
                         u"; someone else's\r\n"
                         u"\"Name\"=\"\u65e5\u672c\"\r\n\r\n"
                         u"[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n"
                         u"\"PortName\"=\"\u043f\u043e\u0440\u0442 2\"\r\n"
                         u"\"USB_COM\"=dword:00000001\r\n"
                         u"\"ABHelpEnable\"=dword:00000000\r\n\r\n");
    EXPECT_EQ(ReadAll(path_), expected);
}

TEST_F(StoreFileTest, FileThatCannotBeTheStoreIsNeverWritten) {
    struct Case {
        std::string name;
        std::function<void(const std::string&)> make;
        RegeditLimits limits = {};
    };
    constexpr std::uint64_t kSmallLimit = 4096;
    const Case cases[] = {
        {"fifo", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"binary", [](const std::string& p) { std::filesystem::copy_file("/bin/ls", p); }},
        {"utf16 without its mark",
         [](const std::string& p) {
             test::WriteAll(p, Utf16(u"REGEDIT4\r\n[HKEY_CURRENT_USER\\K]"));
         }},
        {"half a character",
         [](const std::string& p) {
             test::WriteAll(p,
                            "\xFF\xFE" + Utf16(u"Windows Registry Editor Version 5.00\r\n") + "x");
         }},
        {"over the size limit",
         [](const std::string& p) {
             test::WriteAll(p, "REGEDIT4\r\n");
             ASSERT_EQ(::truncate(p.c_str(), off_t{kSmallLimit + 1}), 0);
         },
         {.maxFileBytes = kSmallLimit}},
        {"unreadable",
         [](const std::string& p) {
             test::WriteAll(p, "REGEDIT4\r\n");
             ASSERT_EQ(::chmod(p.c_str(), 0), 0);
         }},
    };
    for (const Case& c : cases) {
        const std::string path = dir_.File(c.name);
        c.make(path);
        if (c.name == "unreadable" && ::access(path.c_str(), R_OK) == 0) {
            continue;  // the superuser reads it anyway
        }
        const bool regular = std::filesystem::is_regular_file(path);
        const std::string before = regular ? ReadAll(path) : std::string();
        RegistryStore store(path, c.limits);
        EXPECT_FALSE(store.Open()) << c.name;
        EXPECT_NE(store.Problem().find(path), std::string::npos) << c.name;
        TData image;
        LoadImage(image, store);  // the defaults
        EXPECT_TRUE(std::as_const(image).AbInfo(1).Empty()) << c.name;
        image.Name(1).AbFNS = "changed";
        EXPECT_FALSE(SaveImage(image, store)) << c.name;
        EXPECT_EQ(store.LastError(), store.Problem()) << c.name;
        EXPECT_EQ(std::filesystem::is_fifo(path), c.name == "fifo") << c.name;
        if (regular) {
            EXPECT_EQ(ReadAll(path), before) << c.name;
        }
    }
}

// A save that cannot be made says so in Russian and names what the user can
// act on: the lock file when it is in the way, else the folder.
TEST_F(StoreFileTest, FailedSaveNamesTheLockFileOrTheFolderInTheWay) {
    const std::string elsewhere = dir_.File("created-elsewhere");
    std::filesystem::create_symlink(elsewhere, path_ + ".lock");
    test::WriteAll(dir_.File("blocker"), "a file where a folder should be");
    const std::string blocked = dir_.File("blocker/MTulvo.reg");
    const struct {
        std::string path;
        std::string start;
        std::string named;
    } cases[] = {
        {path_, "невозможно сохранить файл настроек " + path_,
         "файл блокировки " + path_ + ".lock"},
        {blocked, "Файл настроек " + blocked + " не может быть использован",
         "часть пути не является папкой (Not a directory)"},
    };
    for (const auto& c : cases) {
        RegistryStore store(c.path);
        EXPECT_FALSE(SaveMainWindowOptions(store, {"ttyS1", false, true}));
        EXPECT_EQ(store.LastError().rfind(c.start, 0), 0U) << store.LastError();
        EXPECT_NE(store.LastError().find(c.named), std::string::npos) << store.LastError();
    }
    EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

TEST_F(StoreFileTest, AnotherProgramsImportSurvivesTheExitOfOneStartedBefore) {
    RegistryStore desktop(path_);
    TData shown;
    LoadImage(shown, desktop);  // an empty store: every value a default
    shown.Name(2).AbFNS = "own change";
    {
        RegistryStore cli(path_);
        TData imported;
        LoadImage(imported, cli);
        test::WriteAll(dir_.File("in.cnfg"), test::kExample);
        test::RecordingOperator op;
        ASSERT_TRUE(LoadConfigFile(imported, dir_.File("in.cnfg"), op).Loaded());
        imported.Name(2).AbFNS = "imported name";
        imported.AbPhone(2).SetPhoneIn("555");
        ASSERT_TRUE(SaveImage(imported, cli));
    }
    ASSERT_TRUE(SaveImage(shown, desktop));

    RegistryStore reader(path_);
    TData result;
    LoadImage(result, reader);
    // Untouched by the desktop program: the import stays, settings and all.
    EXPECT_EQ(WriteConfigText(result).substr(0, 200), test::kExample.substr(0, 200));
    EXPECT_FALSE(std::as_const(result).AbInfo(1).Empty());
    EXPECT_EQ(std::as_const(result).BlackListEntry(1).NUM(), "8800");
    // Changed by it: subscriber 2 is the desktop's whole, not half of each.
    EXPECT_EQ(result.Name(2).AbFNS, "own change");
    EXPECT_EQ(std::as_const(result).AbPhone(2).PhoneIn(), "");
}

TEST_F(StoreFileTest, KillDuringAnImageSaveLeavesTheOldImageOrTheNewNeverAMix) {
    TData old;
    {
        RegistryStore store(path_);
        LoadImage(old, store);
        ASSERT_TRUE(SaveImage(old, store));
    }
    const std::string oldPrint = WriteConfigText(old);
    TData changed;
    test::WriteAll(dir_.File("in.cnfg"), test::kExample);
    test::RecordingOperator op;
    ASSERT_TRUE(LoadConfigFile(changed, dir_.File("in.cnfg"), op).Loaded());
    const std::string newPrint = WriteConfigText(changed);
    for (int killAt = 1; killAt <= 5; ++killAt) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryStore store(path_);
            TData image;
            LoadImage(image, store);
            LoadConfigFile(image, dir_.File("in.cnfg"), op);
            int saves = 0;
            store.SetBeforeRenameHook([&](const std::string&) {
                if (++saves == killAt) {
                    ::_exit(9);  // killed with the file written but not yet in place
                }
                return true;
            });
            SaveImage(image, store);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        RegistryStore reader(path_);
        const std::string print = Fingerprint(reader);
        EXPECT_TRUE(print == (killAt == 1 ? oldPrint : newPrint)) << "killed at save " << killAt;
        if (killAt == 1) {
            continue;
        }
        // Back to the old image for the next round.
        RegistryStore store(path_);
        TData image;
        LoadImage(image, store);
        test::WriteAll(dir_.File("old.cnfg"), oldPrint);
        ASSERT_TRUE(LoadConfigFile(image, dir_.File("old.cnfg"), op).Loaded());
        ASSERT_TRUE(SaveImage(image, store));
    }
}

}  // namespace
}  // namespace tulvo
