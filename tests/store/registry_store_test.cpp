#include "store/registry_store.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "store/regedit_format.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

using namespace std::string_literals;
using test::ReadAll;
using test::TempDir;

constexpr const char* kKey = "\\SOFTWARE\\ZARQ\\MTulvo\\Setting";

class RegistryStoreTest : public ::testing::Test {
  protected:
    std::string StorePath() const { return dir_.File("config/ZARQ/MTulvo.reg"); }
    TempDir dir_;
};

TEST_F(RegistryStoreTest, FirstStartReadsNothingAndCreatesNoFileUntilAValueIsWritten) {
    RegistryStore store(StorePath());
    {
        const RegistryKey key = store.OpenKey(kKey);
        EXPECT_FALSE(key.ReadString("PortName"));
        EXPECT_FALSE(key.ReadBool("USB_COM"));
    }
    EXPECT_FALSE(std::filesystem::exists(StorePath()));
    {
        RegistryKey key = store.OpenKey(kKey);
        key.WriteString("PortName", "ttyACM0");
        key.WriteBool("USB_COM", true);
    }
    EXPECT_EQ(ReadAll(StorePath()),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n"
              "\"PortName\"=\"ttyACM0\"\r\n"
              "\"USB_COM\"=dword:00000001\r\n"
              "\r\n");
    EXPECT_EQ(test::ModeOf(StorePath()), 0600u);
    EXPECT_EQ(test::ModeOf(dir_.File("config/ZARQ")), 0700u);
}

TEST_F(RegistryStoreTest, OneSavePerOperationAndNoneWhenNothingChanged) {
    RegistryStore store(StorePath());
    {
        RegistryKey key = store.OpenKey(kKey);
        for (int i = 0; i < 50; ++i) {
            key.WriteDword("V" + std::to_string(i), static_cast<std::uint32_t>(i));
        }
        RegistryKey second = store.OpenKey("\\SOFTWARE\\ZARQ\\MTulvo\\DBase");
        second.WriteString("AbFNS1", "x");
    }
    EXPECT_EQ(store.SaveCount(), 1);
    {
        RegistryKey key = store.OpenKey(kKey);
        key.WriteDword("V3", 3);  // the value it already has
    }
    EXPECT_EQ(store.SaveCount(), 1);
}

TEST_F(RegistryStoreTest, ReadsGiveNothingForValuesOfAnotherType) {
    std::filesystem::create_directories(dir_.File("config/ZARQ"));
    test::WriteAll(StorePath(),
                   "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n"
                   "\"Text\"=\"5\"\r\n\"Number\"=dword:00000005\r\n\"Bytes\"=hex:05\r\n"
                   "\"Zero\"=dword:00000000\r\n\"Seven\"=dword:00000007\r\n");
    RegistryStore store(StorePath());
    const RegistryKey key = store.OpenKey(kKey);
    EXPECT_FALSE(key.ReadDword("Text"));
    EXPECT_FALSE(key.ReadString("Number"));
    EXPECT_FALSE(key.ReadBinary("Number"));
    EXPECT_FALSE(key.ReadBool("Bytes"));
    EXPECT_EQ(key.ReadBool("Zero"), false);
    EXPECT_EQ(key.ReadBool("Seven"), true);  // any value but 0
}

TEST_F(RegistryStoreTest, TwoStoresOnOneFileKeepEachOthersValues) {
    RegistryStore first(StorePath());
    RegistryStore second(StorePath());
    {
        RegistryKey a = first.OpenKey(kKey);
        RegistryKey b = second.OpenKey(kKey);
        a.WriteString("FromFirst", "1");
        a.WriteString("Shared", "first");
        b.WriteString("FromSecond", "2");
    }  // b closes first, then a: both save over what the other wrote
    {
        RegistryKey b = second.OpenKey(kKey);
        EXPECT_EQ(b.ReadString("FromFirst"), "1");  // re-read after the other's save
        b.WriteString("Shared", "second");
    }
    {
        RegistryKey a = first.OpenKey(kKey);
        a.WriteString("Other", "x");  // leaves "Shared" alone: it did not change it
    }
    RegistryStore reader(StorePath());
    const RegistryKey key = reader.OpenKey(kKey);
    EXPECT_EQ(key.ReadString("FromFirst"), "1");
    EXPECT_EQ(key.ReadString("FromSecond"), "2");
    EXPECT_EQ(key.ReadString("Shared"), "second");
    EXPECT_EQ(key.ReadString("Other"), "x");
}

TEST_F(RegistryStoreTest, TwoProcessesSavingAtOnceLoseNothing) {
    constexpr int kRounds = 40;
    auto work = [this](const std::string& prefix) {
        RegistryStore store(StorePath());
        for (int i = 0; i < kRounds; ++i) {
            RegistryKey key = store.OpenKey(kKey);
            key.WriteDword(prefix + std::to_string(i), static_cast<std::uint32_t>(i));
        }
        return store.LastError().empty();
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::_exit(work("Child") ? 0 : 1);
    }
    EXPECT_TRUE(work("Parent"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    RegistryStore reader(StorePath());
    const RegistryKey key = reader.OpenKey(kKey);
    for (int i = 0; i < kRounds; ++i) {
        EXPECT_EQ(key.ReadDword("Child" + std::to_string(i)), static_cast<std::uint32_t>(i));
        EXPECT_EQ(key.ReadDword("Parent" + std::to_string(i)), static_cast<std::uint32_t>(i));
    }
}

TEST_F(RegistryStoreTest, InterruptedSaveLeavesOldFileAndRetriesLater) {
    RegistryStore store(StorePath());
    {
        RegistryKey key = store.OpenKey(kKey);
        key.WriteString("A", "old");
    }
    const std::string before = ReadAll(StorePath());
    store.SetBeforeRenameHook([](const std::string&) { return false; });
    {
        RegistryKey key = store.OpenKey(kKey);
        key.WriteString("A", "new");
    }
    EXPECT_EQ(ReadAll(StorePath()), before);
    EXPECT_TRUE(store.HasPendingChanges());
    EXPECT_FALSE(store.LastError().empty());
    {
        const RegistryKey key = store.OpenKey(kKey);
        EXPECT_EQ(key.ReadString("A"), "new");  // still this process's value
    }
    store.SetBeforeRenameHook(nullptr);
    EXPECT_TRUE(store.Flush());
    EXPECT_NE(ReadAll(StorePath()).find("\"A\"=\"new\""), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.File("config/ZARQ")),
                            std::filesystem::directory_iterator()),
              2);  // the store and its lock file, no temporary left behind
}

TEST_F(RegistryStoreTest, DamagedFileIsUsedAsFarAsItParsesAndKeptOnSave) {
    std::filesystem::create_directories(dir_.File("config/ZARQ"));
    std::string damaged =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n"
        "\"Good\"=dword:00000002\r\n"s;
    damaged += "\x00\x01\x02\xff\xfe garbage\r\n\"Bad\"=hex:zz\r\n"s;
    damaged += std::string(200000, '\xAA') + "\r\n\"Late\"=\"ok\"\r\n";
    test::WriteAll(StorePath(), damaged);
    RegistryStore store(StorePath());
    {
        RegistryKey key = store.OpenKey(kKey);
        EXPECT_EQ(key.ReadDword("Good"), 2u);
        EXPECT_EQ(key.ReadString("Late"), "ok");
        key.WriteString("New", "v");
    }
    RegistryStore reader(StorePath());
    const RegistryKey key = reader.OpenKey(kKey);
    EXPECT_EQ(key.ReadDword("Good"), 2u);
    EXPECT_EQ(key.ReadString("Late"), "ok");
    EXPECT_EQ(key.ReadString("New"), "v");
}

TEST_F(RegistryStoreTest, EnormousFileIsRefusedUnread) {
    const int fd = ::memfd_create("store.reg", MFD_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::string head =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\SOFTWARE\\ZARQ\\MTulvo\\Setting]\r\n\"A\"=dword:1\r\n";
    ASSERT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
    ASSERT_EQ(::ftruncate(fd, off_t{1} << 30), 0);  // then 1 GB of zero bytes
    RegistryStore store("/proc/self/fd/" + std::to_string(fd));
    EXPECT_FALSE(store.Open());
    EXPECT_NE(store.Problem().find("512"), std::string::npos) << store.Problem();
    {
        const RegistryKey key = store.OpenKey(kKey);
        EXPECT_FALSE(key.ReadDword("A"));  // never a part of the file
    }
    ::close(fd);
}

TEST(RegistryStoreDefaultPathTest, FollowsXdgConfigHomeThenHome) {
    EXPECT_EQ(RegistryStore::DefaultPath("/x/cfg", "/home/u"), "/x/cfg/ZARQ/MTulvo.reg");
    EXPECT_EQ(RegistryStore::DefaultPath(nullptr, "/home/u"), "/home/u/.config/ZARQ/MTulvo.reg");
    // A relative XDG_CONFIG_HOME is not valid and is ignored.
    EXPECT_EQ(RegistryStore::DefaultPath("rel", "/home/u"), "/home/u/.config/ZARQ/MTulvo.reg");
}

}  // namespace
}  // namespace tulvo
