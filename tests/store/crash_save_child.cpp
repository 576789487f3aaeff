// Saves one file over and over until it is killed, each save a new
// generation (see crash_generations.h), through the program's own save
// functions:
//
//   crash_save_child store|config|calllog PATH SEED FIRST PROGRESS
//
// PATH is the file (for calllog its folder's DataBilling.dbf), FIRST the
// first generation to save. PROGRESS is a file of three 64-bit counters that
// the child keeps up to date through a shared mapping: the generation whose
// save has begun, the last one whose save returned (so the process that kills
// it knows whether the kill fell inside a save) and how many nanoseconds that
// save took. "ready" on standard output says that the start-up is done and
// the first save begins.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "crash_generations.h"

namespace {

struct Progress {
    std::atomic<std::uint64_t> begun;
    std::atomic<std::uint64_t> done;
    std::atomic<std::uint64_t> lastSaveNs;
};

Progress* MapProgress(const char* path) {
    const int fd = ::open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    void* page = ::mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    return page == MAP_FAILED ? nullptr : static_cast<Progress*>(page);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tulvo::test;
    const auto kind = argc == 6 ? SavedFileNamed(argv[1]) : std::nullopt;
    Progress* progress = kind ? MapProgress(argv[5]) : nullptr;
    if (!kind || progress == nullptr) {
        std::fprintf(stderr, "usage: %s store|config|calllog PATH SEED FIRST PROGRESS\n", argv[0]);
        return 2;
    }
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    std::uint64_t g = std::strtoull(argv[4], nullptr, 10);
    GenerationWriter writer(*kind, argv[2], seed);
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    for (std::string error;; ++g) {
        progress->begun.store(g);
        const auto start = std::chrono::steady_clock::now();
        if (!writer.Save(g, error)) {
            std::fprintf(stderr, "generation %llu not saved: %s\n",
                         static_cast<unsigned long long>(g), error.c_str());
            return 1;
        }
        progress->lastSaveNs.store(
            static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                           std::chrono::steady_clock::now() - start)
                                           .count()));
        progress->done.store(g);
    }
}
