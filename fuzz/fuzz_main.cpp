#include <cstdio>
#include <cstdlib>

#include "fuzz_entries.h"

// One libFuzzer target per name in fuzz/targets, each built from this file
// with TULVO_FUZZ_TARGET set to its name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tulvo::fuzz::Entry entry = tulvo::fuzz::EntryFor(TULVO_FUZZ_TARGET);
    if (entry == nullptr) {
        std::fprintf(stderr, "no fuzz entry named %s\n", TULVO_FUZZ_TARGET);
        std::abort();
    }
    const std::string broken = entry(data, size);
    if (!broken.empty()) {
        std::fprintf(stderr, "%s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
