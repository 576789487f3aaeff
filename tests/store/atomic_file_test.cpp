#include "store/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "temp_dir.h"

namespace tulvo {
namespace {

using test::ReadAll;
using test::TempDir;

size_t EntriesIn(const std::string& folder) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

TEST(AtomicFileTest, CreatesAndReplacesWithTheGivenMode) {
    TempDir dir;
    const std::string path = dir.File("a.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "first", 0600));
    EXPECT_EQ(ReadAll(path), "first");
    EXPECT_EQ(test::ModeOf(path), 0600u);
    ASSERT_TRUE(WriteFileAtomically(path, std::string("sec\0ond", 7), 0644));
    EXPECT_EQ(ReadAll(path), std::string("sec\0ond", 7));
    EXPECT_EQ(test::ModeOf(path), 0644u);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(AtomicFileTest, InterruptedBeforeRenameLeavesOldFileWholeAndNoTemporary) {
    TempDir dir;
    const std::string path = dir.File("a.txt");
    ASSERT_TRUE(WriteFileAtomically(path, "old contents", 0600));
    AtomicWriteOptions options;
    std::string seenTemp;
    options.beforeRename = [&](const std::string& temp) {
        seenTemp = temp;
        EXPECT_EQ(ReadAll(temp), "new");  // fully written before the rename
        return false;
    };
    const AtomicWriteResult result = WriteFileAtomically(path, "new", options);
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(ReadAll(path), "old contents");
    EXPECT_FALSE(std::filesystem::exists(seenTemp));
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(AtomicFileTest, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    TempDir dir;
    const std::string real = dir.File("real.txt");
    const std::string link = dir.File("link.txt");
    ASSERT_TRUE(WriteFileAtomically(real, "old", 0600));
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(link, "new", 0600));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(real), "new");
}

TEST(AtomicFileTest, WhatIsNoRegularFileIsWrittenInPlace) {
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteFileAtomically(fifo, "through the pipe"));
    char buffer[64] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 16);
    EXPECT_STREQ(buffer, "through the pipe");
    ::close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(WriteFileAtomically("/dev/null", "discarded"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(AtomicFileTest, LinksInASharedFolderAreFollowedOnlyWhenTheUsersOwn) {
    TempDir dir;
    const std::string victim = dir.File("private.txt");
    ASSERT_TRUE(WriteFileAtomically(victim, "secret", 0600));
    const std::string shared = dir.File("shared");
    std::filesystem::create_directory(shared);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string own = shared + "/own.cnfg";
    const std::string planted = shared + "/planted.cnfg";
    std::filesystem::create_symlink(victim, own);
    std::filesystem::create_symlink(victim, planted);
    if (::lchown(planted.c_str(), ::geteuid() + 1, ::getegid()) != 0) {
        GTEST_SKIP() << "cannot give the link to another user";
    }
    const AtomicWriteResult refused = WriteFileAtomically(planted, "overwritten");
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error.find(planted), std::string::npos) << refused.error;
    EXPECT_EQ(ReadAll(victim), "secret");
    ASSERT_TRUE(WriteFileAtomically(own, "mine"));
    EXPECT_EQ(ReadAll(victim), "mine");
    EXPECT_EQ(test::ModeOf(victim), 0600u);  // a replaced file keeps its mode
}

TEST(AtomicFileTest, NewFilesFollowTheUmaskAndLeftTemporariesAreRemoved) {
    TempDir dir;
    const std::string path = dir.File("a.cnfg");
    test::WriteAll(path + ".tmp.Ab12Cd", "left by a killed save");
    test::WriteAll(path + ".tmp.other", "not a temporary of this writer");
    const mode_t old = ::umask(077);
    const AtomicWriteResult result = WriteFileAtomically(path, "passwords");
    ::umask(old);
    ASSERT_TRUE(result);
    EXPECT_EQ(test::ModeOf(path), 0600u);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp.Ab12Cd"));
    EXPECT_TRUE(std::filesystem::exists(path + ".tmp.other"));
}

TEST(AtomicFileTest, MissingFolderIsReportedWithThePath) {
    TempDir dir;
    const std::string path = dir.File("no/such/folder/a.txt");
    const AtomicWriteResult result = WriteFileAtomically(path, "x", 0600);
    EXPECT_FALSE(result);
    EXPECT_NE(result.error.find(path), std::string::npos);
}

}  // namespace
}  // namespace tulvo
