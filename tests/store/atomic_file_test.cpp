#include "store/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

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

// Each save clears the temporaries that killed writers left, while other
// writers of the same file are creating theirs: none may take a living
// writer's temporary for a left-over. Memory-backed /dev/shm, where there is
// one, keeps the saves short so that they overlap often.
TEST(AtomicFileTest, ConcurrentSavesOfOneFileAllSucceed) {
    std::string base = "/dev/shm/tulvo-atomic-XXXXXX";
    if (::mkdtemp(base.data()) == nullptr) {
        base.clear();
    }
    TempDir fallback;
    const std::string folder = base.empty() ? fallback.Path() : base;
    const std::string path = folder + "/shared.txt";
    std::atomic<int> failures{0};
    std::string firstError;
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([&, w] {
            const std::string bytes(100 + w, static_cast<char>('a' + w));
            for (int i = 0; i < 2000; ++i) {
                const AtomicWriteResult result = WriteFileAtomically(path, bytes, 0600);
                if (!result && failures++ == 0) {
                    firstError = result.error;
                }
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    EXPECT_EQ(failures, 0) << firstError;
    EXPECT_EQ(EntriesIn(folder), 1u);
    if (!base.empty()) {
        std::filesystem::remove_all(base);
    }
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
