#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <string>
#include <vector>

#include "store/example_config.h"
#include "store/regedit_format.h"
#include "store/temp_dir.h"

extern char** environ;

namespace tulvo {
namespace {

using test::kExample;
using test::ReadAll;
using test::TempDir;

class ExportImportCliTest : public ::testing::Test {
  protected:
    // Runs `tulvo args... --store S` with standard error into a file; the exit status.
    int Tulvo(std::vector<std::string> args) {
        args.insert(args.begin(), TULVO_CLI_PATH);
        args.push_back("--store");
        args.push_back(store_);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, stderr_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 1, stdout_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            return -1;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Stderr() const { return ReadAll(stderr_); }
    std::string Stdout() const { return ReadAll(stdout_); }

    TempDir dir_;
    std::string store_ = dir_.File("cfg/ZARQ/MTulvo.reg");
    std::string stderr_ = dir_.File("stderr.txt");
    std::string stdout_ = dir_.File("stdout.txt");
};

TEST_F(ExportImportCliTest, ImportThenExportGivesTheSameFileAndFillsTheStore) {
    const std::string in = dir_.File("in.cnfg");
    const std::string out = dir_.File("out.cnfg");
    test::WriteAll(in, kExample);
    ASSERT_EQ(Tulvo({"import", in}), 0) << Stderr();
    EXPECT_EQ(Stderr(), "");
    ASSERT_EQ(Tulvo({"export", out}), 0) << Stderr();
    EXPECT_EQ(Stderr(), "");
    EXPECT_EQ(ReadAll(out), kExample);

    const RegistryTree tree = ReadRegeditText(ReadAll(store_));
    const auto* dbase = tree.FindKey("HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\DBase");
    const auto* setting = tree.FindKey("HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting");
    ASSERT_NE(dbase, nullptr);
    ASSERT_NE(setting, nullptr);
    EXPECT_EQ(dbase->values.size(), 300u * 6);
    int lists = 0, messages = 0, blocks = 0;
    for (const auto& [name, value] : setting->values) {
        lists += name.starts_with("BlackList");
        messages += name.starts_with("SMSMessage");
        blocks += name.starts_with("Setting") || name == "ControlAccount";
    }
    EXPECT_EQ(lists, 187);
    EXPECT_EQ(messages, 10);
    EXPECT_EQ(blocks, 6);  // FXO, FXS, MOB, PASSWORD, ControlAccount and the alarm
}

TEST_F(ExportImportCliTest, ImportStoppedByARecordCheckLeavesTheStoreAsItWas) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, kExample);
    ASSERT_EQ(Tulvo({"import", in}), 0);
    const std::string before = ReadAll(store_);
    test::WriteAll(in, "Ab:7,Lim:7200/72000\r\nAb:8,ID:8\r\nFXO,OCM:7\r\nPASSWORD:1111\r\n");
    EXPECT_EQ(Tulvo({"import", in}), 1);
    EXPECT_EQ(Stderr(),
              "Ошибка при чтении базы абонентов! Абонент № 7\n"
              "Недопустимое значение OutCallMode!\n");
    EXPECT_EQ(ReadAll(store_), before);
}

TEST_F(ExportImportCliTest, ImportOfWhatIsNoConfigurationFileLeavesTheStoreAlone) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, kExample);
    ASSERT_EQ(Tulvo({"import", in}), 0);
    const std::string before = ReadAll(store_);
    const std::pair<std::string, std::string> cases[] = {
        {dir_.File("missing.cnfg"), "Невозможно открыть файл " + dir_.File("missing.cnfg") + "!"},
        {dir_.Path(), "Файл " + dir_.Path() +
                          " не является обычным файлом (это папка); укажите обычный файл или «-»."},
        {"/bin/ls", "Файл /bin/ls не является файлом конфигурации!"},
    };
    for (const auto& [path, message] : cases) {
        EXPECT_EQ(Tulvo({"import", path}), 1) << path;
        EXPECT_EQ(Stderr(), message + "\n");
        EXPECT_EQ(ReadAll(store_), before) << path;
    }
}

// A FIFO without a peer would block the command for ever: only regular
// files and "-" are taken.
TEST_F(ExportImportCliTest, FifoArgumentIsRefusedAndStandardOutputWorks) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, kExample);
    ASSERT_EQ(Tulvo({"import", in}), 0);
    const std::string before = ReadAll(store_);
    const std::string fifo = dir_.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const char* command : {"export", "import"}) {
        EXPECT_EQ(Tulvo({command, fifo}), 1) << command;
        EXPECT_EQ(Stderr(),
                  "Файл " + fifo + " не является обычным файлом; укажите обычный файл или «-».\n");
    }
    EXPECT_EQ(ReadAll(store_), before);
    ASSERT_EQ(Tulvo({"export", "-"}), 0) << Stderr();
    EXPECT_EQ(Stdout(), kExample);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("-")));
}

// Exporting a mistyped or empty store would make a backup of factory
// defaults; importing into a read-only store would replace it.
TEST_F(ExportImportCliTest, StoreThatCannotServeTheCommandIsRefusedAndKept) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, kExample);
    const std::string empty = dir_.File("empty.reg");
    test::WriteAll(empty, "REGEDIT4\r\n\r\n");
    const std::string readOnly = dir_.File("read-only.reg");
    store_ = readOnly;
    ASSERT_EQ(Tulvo({"import", in}), 0);
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string readOnlyBefore = ReadAll(readOnly);
    const struct {
        std::string store;
        const char* command;
        std::string message;
    } cases[] = {
        {dir_.File("mistyped.reg"), "export",
         "Файл настроек " + dir_.File("mistyped.reg") + " не найден. Экспорт отменён."},
        {empty, "export", "Файл " + empty + " не содержит настроек шлюза. Экспорт отменён."},
        {readOnly, "import",
         "Невозможно сохранить файл " + readOnly + "! Файл настроек защищён от записи."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.store);
        store_ = c.store;
        const std::string file = std::string(c.command) == "export" ? dir_.File("out.cnfg") : in;
        EXPECT_EQ(Tulvo({c.command, file}), 1);
        EXPECT_EQ(Stderr(), c.message + "\n");
    }
    EXPECT_FALSE(std::filesystem::exists(dir_.File("mistyped.reg")));
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.cnfg")));
    EXPECT_EQ(ReadAll(empty), "REGEDIT4\r\n\r\n");
    EXPECT_EQ(ReadAll(readOnly), readOnlyBefore);
    struct stat info {};
    ASSERT_EQ(::stat(readOnly.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
}

TEST_F(ExportImportCliTest, ExportDoesNotFollowALinkPlantedInASharedFolder) {
    test::WriteAll(dir_.File("in.cnfg"), kExample);
    ASSERT_EQ(Tulvo({"import", dir_.File("in.cnfg")}), 0);
    const std::string victim = dir_.File("victim.cnfg");
    test::WriteAll(victim, "private");
    const std::string shared = dir_.File("shared");
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string planted = shared + "/out.cnfg";
    std::filesystem::create_symlink(victim, planted);
    if (::lchown(planted.c_str(), ::geteuid() + 1, ::getegid()) != 0) {
        GTEST_SKIP() << "cannot give the link to another user";
    }
    EXPECT_EQ(Tulvo({"export", planted}), 1);
    EXPECT_EQ(Stderr(), "Невозможно сохранить файл " + planted + "!\n");
    EXPECT_EQ(ReadAll(victim), "private");
}

TEST_F(ExportImportCliTest, StoreThatCannotBeUsedStopsTheCommandAndStaysAsItIs) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, kExample);
    std::filesystem::create_directories(dir_.File("cfg/ZARQ"));
    ASSERT_EQ(::mkfifo(store_.c_str(), 0600), 0);
    EXPECT_EQ(Tulvo({"import", in}), 1);
    EXPECT_EQ(Stderr(),
              "Файл настроек " + store_ + " не может быть использован: это не обычный файл.\n");
    EXPECT_TRUE(std::filesystem::is_fifo(store_));

    std::filesystem::remove(store_);
    const std::string utf16 = std::string("R\0E\0G\0", 6);  // no byte-order mark
    test::WriteAll(store_, utf16);
    EXPECT_EQ(Tulvo({"export", dir_.File("out.cnfg")}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("out.cnfg")));
    EXPECT_EQ(ReadAll(store_), utf16);
}

TEST_F(ExportImportCliTest, ExportThatCannotWriteItsFileFails) {
    test::WriteAll(dir_.File("in.cnfg"), kExample);
    ASSERT_EQ(Tulvo({"import", dir_.File("in.cnfg")}), 0);
    const std::string out = dir_.File("no/folder/out.cnfg");
    EXPECT_EQ(Tulvo({"export", out}), 1);
    EXPECT_EQ(Stderr(), "Невозможно сохранить файл " + out + "!\n");
    EXPECT_EQ(Tulvo({"export"}), 2);
}

}  // namespace
}  // namespace tulvo
