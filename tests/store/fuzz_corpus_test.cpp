#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fuzz_entries.h"
#include "temp_dir.h"

namespace tulvo {
namespace {

// Replays every seed of a fuzz target through the entry function the fuzzer
// calls, so the checks run in every build, not only in fuzzing builds.
void Replay(const std::string& target,
            std::string (*entry)(const std::uint8_t* data, std::size_t size)) {
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

TEST(FuzzCorpusTest, ConfigFileSeedsKeepTheReadersRules) {
    Replay("config_file", fuzz::ConfigFileInput);
}

TEST(FuzzCorpusTest, RegeditSeedsKeepTheReadersRules) {
    Replay("regedit", fuzz::RegeditInput);
}

TEST(FuzzCorpusTest, FrameSeedsKeepTheDecodersRules) {
    Replay("frame", fuzz::FrameInput);
}

TEST(FuzzCorpusTest, CallLogSeedsKeepTheStorageFilesRules) {
    Replay("call_log", fuzz::CallLogFileInput);
}

TEST(FuzzCorpusTest, FaultRuleSeedsKeepTheParsersRules) {
    Replay("fault_rule", fuzz::FaultRuleInput);
}

TEST(FuzzCorpusTest, ReplySeedsKeepTheLinksRules) {
    Replay("reply", fuzz::ReplyInput);
}

TEST(FuzzCorpusTest, FirmwareImageSeedsKeepTheReadersRules) {
    Replay("firmware_image", fuzz::FirmwareImageInput);
}

}  // namespace
}  // namespace tulvo
