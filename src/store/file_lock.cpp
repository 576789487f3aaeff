#include "store/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tulvo {

FileLock::FileLock(const std::string& lockPath, Mode mode, bool create)
    : fd_(::open(lockPath.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | (create ? O_CREAT : 0),
                 0600)) {
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    while (::flock(fd_, operation) != 0) {
        if (errno != EINTR) {
            error_ = errno;
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

std::uint64_t FileLock::Generation() const {
    std::uint64_t generation = 0;
    if (fd_ < 0 || ::pread(fd_, &generation, sizeof generation, 0) !=
                       static_cast<ssize_t>(sizeof generation)) {
        return 0;
    }
    return generation;
}

void FileLock::CountSave() {
    const std::uint64_t next = Generation() + 1;
    if (fd_ >= 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd_, &next, sizeof next, 0);
    }
}

}  // namespace tulvo
