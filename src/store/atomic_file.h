#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace tulvo {

struct AtomicWriteResult {
    bool ok = false;
    std::string error;  // what failed and the system's reason; empty when ok

    explicit operator bool() const { return ok; }
};

struct AtomicWriteOptions {
    mode_t mode = 0644;
    // Called with the temporary file's path after it is written and synced, right
    // before it replaces the target. Returning false aborts the write there, as a
    // crash would; tests use it to check that the old file stays whole.
    std::function<bool(const std::string& tempPath)> beforeRename;
};

// Replaces the file at path with bytes so that readers see either the old file
// or the new one, never a mix: a temporary file in the same folder is written,
// synced and renamed over the target, then the folder is synced. On failure the
// old file is untouched and the temporary file is removed.
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                      const AtomicWriteOptions& options);
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                      mode_t mode = 0644);

}  // namespace tulvo
