// Kills a process that saves the store, a configuration file or the call-log
// file in a loop at random moments (inside writes, syncs and renames) and
// checks what it leaves: the file reads with the program's reader as exactly
// one whole generation, never an older one than before the kill, and the next
// start and save leave no temporary file behind.
//
// TULVO_CRASH_KILLS sets the kills per kind (default 300; 60 under the
// sanitizers), TULVO_CRASH_SEED the seed of the contents and of the draws of
// the kill moments (printed with each run; the moments also scale with how
// long the saves take on the machine).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "crash_generations.h"
#include "e2e/child_process.h"
#include "temp_dir.h"

namespace tulvo::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kChildDeadline = 10s;

// The sanitizer build runs every test again to find memory faults; a few
// kills suffice there.
#if defined(__SANITIZE_ADDRESS__)
#define TULVO_CRASH_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TULVO_CRASH_SANITIZED 1
#endif
#endif
#ifdef TULVO_CRASH_SANITIZED
constexpr unsigned long kDefaultKills = 60;
#else
constexpr unsigned long kDefaultKills = 300;
#endif

unsigned long EnvNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoul(text, nullptr, 10) : fallback;
}

// The counters crash_save_child keeps in its progress file.
struct Progress {
    std::atomic<std::uint64_t> begun;
    std::atomic<std::uint64_t> done;
    std::atomic<std::uint64_t> lastSaveNs;
};

class ProgressFile {
  public:
    explicit ProgressFile(const std::string& path) : path_(path) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0 && ::ftruncate(fd, sizeof(Progress)) == 0) {
            void* page =
                ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            progress_ = page == MAP_FAILED ? nullptr : static_cast<Progress*>(page);
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    ~ProgressFile() {
        if (progress_ != nullptr) {
            ::munmap(progress_, sizeof(Progress));
        }
    }
    ProgressFile(const ProgressFile&) = delete;
    ProgressFile& operator=(const ProgressFile&) = delete;

    bool Mapped() const { return progress_ != nullptr; }
    const std::string& Path() const { return path_; }
    Progress& operator*() { return *progress_; }

  private:
    std::string path_;
    Progress* progress_ = nullptr;
};

struct KillStats {
    int kills = 0;
    int between = 0;    // between two saves: the last saved generation
    int old = 0;        // inside a save, which left the generation before it
    int fresh = 0;      // inside a save, which had already put its generation in place
    int leftovers = 0;  // kills that left a temporary file in the folder
    std::vector<std::string> failures;
};

// Names in folder other than the ones the program keeps there.
std::vector<std::string> Strangers(const std::string& folder,
                                   const std::vector<std::string>& kept) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(kept.begin(), kept.end(), name) == kept.end()) {
            names.push_back(name);
        }
    }
    return names;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// Sleeps through most of a long delay, so the child keeps the processor,
// and spins through the rest, so kills can land microseconds apart.
void LetRun(std::chrono::nanoseconds delay) {
    const auto until = Clock::now() + delay;
    if (delay > 300us) {
        std::this_thread::sleep_until(until - 200us);
    }
    while (Clock::now() < until) {
    }
}

class CrashKiller {
  public:
    CrashKiller(SavedFile kind, std::uint32_t seed)
        : kind_(kind),
          seed_(seed),
          folder_(dir_.File("data")),
          path_(folder_ + "/" + FileNameOf(kind)),
          progress_(dir_.File("progress")),
          random_(seed) {
        std::filesystem::create_directories(folder_);
        kept_ = {FileNameOf(kind)};
        if (kind == SavedFile::Store || kind == SavedFile::CallLog) {
            kept_.push_back(FileNameOf(kind) + ".lock");
        }
    }

    KillStats Run(int kills) {
        KillStats stats;
        if (!progress_.Mapped()) {
            stats.failures.push_back("no progress file");
            return stats;
        }
        for (int i = 0; i < kills; ++i) {
            if (!KillOnce(i, stats)) {
                break;
            }
        }
        return stats;
    }

  private:
    // A moment within about two saves of the start: half of them spread
    // evenly, half crowded towards the start of the first save.
    std::chrono::nanoseconds NextDelay() {
        const double longest = 2.0 * saveNs_;
        const bool even = std::uniform_int_distribution<int>(0, 1)(random_) == 0;
        const double ns = even ? std::uniform_real_distribution<double>(0, longest)(random_)
                               : std::exp(std::uniform_real_distribution<double>(
                                     std::log(1000.0), std::log(longest))(random_));
        return std::chrono::nanoseconds(static_cast<long long>(ns));
    }

    // One child run, one kill, one check and one restart. False, with the
    // failure noted, when the file was found wrong: the run stops there.
    bool KillOnce(int index, KillStats& stats) {
        const auto fail = [&](const std::string& what) {
            stats.failures.push_back("kill " + std::to_string(index) + ": " + what);
            return false;
        };
        (*progress_).begun = next_ - 1;
        (*progress_).done = next_ - 1;
        (*progress_).lastSaveNs = 0;
        const auto delay = NextDelay();
        ChildProcess child({TULVO_CRASH_CHILD_PATH, std::string(NameOf(kind_)), path_,
                            std::to_string(seed_), std::to_string(next_), progress_.Path()});
        const auto ready = child.ReadLine(kChildDeadline);
        if (!ready || *ready != "ready") {
            child.Wait(kChildDeadline);
            return fail("the child did not start: " + child.Err());
        }
        // The delay counts from the start of the first save, not from the
        // moment this process is woken by the child's line.
        const auto deadline = Clock::now() + kChildDeadline;
        while ((*progress_).begun < next_ && Clock::now() < deadline) {
            sched_yield();
        }
        LetRun(delay);
        child.Signal(SIGKILL);
        const auto status = child.Wait(kChildDeadline);
        if (status != 128 + SIGKILL) {
            return fail("the child ended with " + std::to_string(status.value_or(-1)) + ": " +
                        child.Err());
        }
        ++stats.kills;
        const std::uint64_t begun = (*progress_).begun;
        const std::uint64_t done = (*progress_).done;
        LearnSaveTime(done >= next_, delay);
        std::string problem;
        const auto found = ReadGeneration(kind_, path_, seed_, problem);
        if (!found) {
            return fail(problem);
        }
        if (*found < last_) {
            return fail("generation " + std::to_string(*found) + " after " + std::to_string(last_));
        }
        if (begun == done && *found == done) {
            ++stats.between;
        } else if (begun == done + 1 && *found == done) {
            ++stats.old;
        } else if (begun == done + 1 && *found == begun) {
            ++stats.fresh;
        } else {
            return fail("generation " + std::to_string(*found) + " with save " +
                        std::to_string(begun) + " begun and " + std::to_string(done) + " done");
        }
        if (!Strangers(folder_, kept_).empty()) {
            ++stats.leftovers;
        }
        return Restart(begun + 1, fail);
    }

    // How long the child's saves take, from the last one it finished, or
    // at least the delay when it finished none.
    void LearnSaveTime(bool finishedOne, std::chrono::nanoseconds delay) {
        const double ns = finishedOne ? static_cast<double>((*progress_).lastSaveNs)
                                      : std::max(saveNs_, 1.2 * static_cast<double>(delay.count()));
        saveNs_ = std::clamp(0.8 * saveNs_ + 0.2 * ns, 20e3, 50e6);
    }

    // Starts again as the program does and saves generation g, which must
    // replace the file whole and leave nothing of the killed save behind.
    template <typename Fail>
    bool Restart(std::uint64_t g, const Fail& fail) {
        std::string error;
        if (!GenerationWriter(kind_, path_, seed_).Save(g, error)) {
            return fail("the save after the kill failed: " + error);
        }
        if (const auto strangers = Strangers(folder_, kept_); !strangers.empty()) {
            return fail("left after the next save: " + Joined(strangers));
        }
        std::string problem;
        const auto found = ReadGeneration(kind_, path_, seed_, problem);
        if (found != g) {
            return fail("the save after the kill did not give generation " + std::to_string(g) +
                        ": " + problem);
        }
        last_ = g;
        next_ = g + 1;
        return true;
    }

    SavedFile kind_;
    std::uint32_t seed_;
    TempDir dir_;
    std::string folder_;
    std::string path_;
    std::vector<std::string> kept_;
    ProgressFile progress_;
    std::mt19937_64 random_;
    double saveNs_ = 2e6;  // how long one of the child's saves takes
    std::uint64_t last_ = 0;
    std::uint64_t next_ = 1;
};

class CrashSafetyTest : public ::testing::TestWithParam<SavedFile> {};

TEST_P(CrashSafetyTest, EveryGenerationIsReadBackWholeAndTheSizeChangesEachTime) {
    TempDir dir;
    const std::string path = dir.File(FileNameOf(GetParam()));
    GenerationWriter writer(GetParam(), path, 7);
    std::uintmax_t lastSize = 0;
    for (std::uint64_t g : {1,  2,  3,  4,  5,  6,   7,   8,      9,       10,     11,
                            12, 13, 40, 41, 99, 100, 101, 999999, 1000000, 1000001}) {
        std::string error;
        ASSERT_TRUE(writer.Save(g, error)) << error;
        std::string problem;
        EXPECT_EQ(ReadGeneration(GetParam(), path, 7, problem), g) << problem;
        const auto size = std::filesystem::file_size(path);
        EXPECT_NE(size, lastSize) << "generation " << g;
        lastSize = size;
    }
}

TEST_P(CrashSafetyTest, HardKillLeavesOneWholeGenerationAndTheNextSaveCleansUp) {
    const auto kills = static_cast<int>(EnvNumber("TULVO_CRASH_KILLS", kDefaultKills));
    const auto seed = static_cast<std::uint32_t>(EnvNumber("TULVO_CRASH_SEED", 20261209));
    const KillStats stats = CrashKiller(GetParam(), seed).Run(kills);
    std::printf(
        "crash-safety %s: %d kills (seed %u): %d between saves, %d inside a save kept the old "
        "generation, %d inside a save left the new one, %d left a temporary file; %zu failures\n",
        std::string(NameOf(GetParam())).c_str(), stats.kills, seed, stats.between, stats.old,
        stats.fresh, stats.leftovers, stats.failures.size());
    std::fflush(stdout);
    for (const auto& failure : stats.failures) {
        ADD_FAILURE() << failure;
    }
    EXPECT_EQ(stats.kills, kills);
}

INSTANTIATE_TEST_SUITE_P(Files, CrashSafetyTest,
                         ::testing::Values(SavedFile::Store, SavedFile::Config, SavedFile::CallLog),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

}  // namespace
}  // namespace tulvo::test
