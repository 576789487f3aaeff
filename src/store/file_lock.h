#pragma once

#include <cstdint>
#include <string>

namespace tulvo {

// An flock on a lock file beside a file that several programs replace, held
// while the object lives. The lock file also counts the saves made under it
// (its generation), so a program can tell whether anyone saved since it
// last looked, even when the file's inode, size and time came out the same.
class FileLock {
  public:
    enum class Mode { Shared, Exclusive };

    // A missing lock file is created (mode 0600) when create is set; a link
    // planted in its place is not followed. Waits for the lock.
    FileLock(const std::string& lockPath, Mode mode, bool create = true);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool Held() const { return fd_ >= 0; }
    // errno of the failed open when not held.
    int Error() const { return error_; }

    // Saves counted so far (0 for a new or empty lock file).
    std::uint64_t Generation() const;
    // Counts one more save; only under an exclusive lock.
    void CountSave();

  private:
    int fd_ = -1;
    int error_ = 0;
};

}  // namespace tulvo
