#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo {

struct AtomicWriteResult {
    bool ok = false;
    std::string error;  // what failed and the system's reason; empty when ok

    explicit operator bool() const { return ok; }
};

struct AtomicWriteOptions {
    // The mode of the file written. Without one, a file that is replaced keeps
    // its mode and a new file gets 0666 less the umask.
    std::optional<mode_t> mode;
    // Called with the temporary file's path after it is written and synced, right
    // before it replaces the target. Returning false aborts the write there, as a
    // crash would; tests use it to check that the old file stays whole.
    std::function<bool(const std::string& tempPath)> beforeRename;
};

// Replaces the regular file at path with bytes so that readers see either the
// old file or the new one, never a mix: a temporary file in the same folder is
// written, synced and renamed over the target, then the folder is synced. On
// failure the old file is untouched and the temporary file is removed;
// temporary files that a killed writer left behind are removed too.
//
// What is no regular file cannot be replaced that way and is written in place:
// a device, a FIFO (opening it waits for a reader), and "-", standard output.
// A symbolic link is followed and the file it names replaced, but only where
// the kernel's protected-symlinks rule would follow it: a link in a sticky
// world-writable folder (such as /tmp) only when it is the user's own or the
// folder owner's, so a link planted there cannot redirect the write.
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                      const AtomicWriteOptions& options);
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);
AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same replacement for a file written in pieces: Open, Write as often as
// needed, Commit. Until Commit succeeds the target stays as it was; a writer
// that fails or is destroyed before then removes its temporary file. What is
// written in place (see above) is kept in memory and written at Commit, so
// such a target gets the whole content or nothing as well.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string path, AtomicWriteOptions options = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    AtomicWriteResult Open();
    AtomicWriteResult Write(std::string_view bytes);
    AtomicWriteResult Commit();

  private:
    AtomicWriteResult Abandon(const std::string& what, int error);

    std::string requested_;
    AtomicWriteOptions options_;
    std::string path_;  // the target, links followed
    std::string temp_;
    int fd_ = -1;
    bool inPlace_ = false;
    std::string pending_;  // what an in-place target gets at Commit
};

// The process's umask, read without changing it.
mode_t CurrentUmask();

}  // namespace tulvo
