#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz_entries.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

// Replays every seed of every fuzz target through the entry function the
// fuzzer calls, so the checks run in every build, not only in fuzzing builds.
// Every target listed must have an entry and at least one seed.
TEST(FuzzCorpusTest, EverySeedOfEveryTargetKeepsItsReadersRules) {
    std::ifstream list(TULVO_FUZZ_TARGETS);
    int targets = 0;
    for (std::string target; std::getline(list, target);) {
        SCOPED_TRACE(target);
        ++targets;
        const fuzz::Entry entry = fuzz::EntryFor(target);
        ASSERT_NE(entry, nullptr);
        const std::filesystem::path folder = std::filesystem::path(TULVO_FUZZ_CORPUS) / target;
        int seeds = 0;
        for (const auto& file : std::filesystem::directory_iterator(folder)) {
            const std::string bytes = test::ReadAll(file.path().string());
            EXPECT_EQ(entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), "")
                << file.path();
            ++seeds;
        }
        EXPECT_GT(seeds, 0) << folder;
    }
    EXPECT_EQ(targets, 8);
}

TEST(FuzzCorpusTest, UnknownTargetHasNoEntry) {
    EXPECT_EQ(fuzz::EntryFor("config"), nullptr);
}

}  // namespace
}  // namespace tulvo
