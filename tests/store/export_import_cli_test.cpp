#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "example_config.h"
#include "store/regedit_format.h"
#include "temp_dir.h"

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

    TempDir dir_;
    std::string store_ = dir_.File("cfg/ZARQ/MTulvo.reg");
    std::string stderr_ = dir_.File("stderr.txt");
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

TEST_F(ExportImportCliTest, ImportPrintsTheReadersMessagesAndFails) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, "Ab:7,Lim:7200/72000\r\nFXO,OCM:7\r\nPASSWORD:1111\r\n");
    EXPECT_EQ(Tulvo({"import", in}), 1);
    EXPECT_EQ(Stderr(),
              "Ошибка при чтении базы абонентов! Абонент № 7\n"
              "Недопустимое значение OutCallMode!\n");
}

TEST_F(ExportImportCliTest, ImportOfAMissingFileOrAFolderLeavesTheStoreAlone) {
    const std::string in = dir_.File("in.cnfg");
    test::WriteAll(in, kExample);
    ASSERT_EQ(Tulvo({"import", in}), 0);
    const std::string before = ReadAll(store_);
    for (const std::string& path : {dir_.File("missing.cnfg"), dir_.Path()}) {
        EXPECT_EQ(Tulvo({"import", path}), 1) << path;
        EXPECT_EQ(Stderr(), "Невозможно открыть файл " + path + "!\n");
        EXPECT_EQ(ReadAll(store_), before) << path;
    }
}

TEST_F(ExportImportCliTest, ExportThatCannotWriteItsFileFails) {
    const std::string out = dir_.File("no/folder/out.cnfg");
    EXPECT_EQ(Tulvo({"export", out}), 1);
    EXPECT_EQ(Stderr(), "Невозможно сохранить файл " + out + "!\n");
    EXPECT_EQ(Tulvo({"export"}), 2);
}

}  // namespace
}  // namespace tulvo
