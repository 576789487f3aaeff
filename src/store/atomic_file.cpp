#include "store/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "store/system_reason.h"

namespace tulvo {

namespace {

constexpr std::string_view kTempInfix = ".tmp.";
constexpr std::size_t kTempSuffix = 6;  // the XXXXXX of mkostemp
constexpr int kMaxLinks = 40;           // as the kernel's limit on nested links
constexpr int kMaxTempAttempts = 100;

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

AtomicWriteResult Failure(const std::string& what, const std::string& path, int error) {
    return {false, what + " " + path + ": " + SystemReason(error)};
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A crash after the rename must not lose the new directory entry.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The kernel's protected-symlinks rule: in a sticky world-writable folder a
// link is followed only when its owner is the user or the folder's owner.
bool MayFollow(const std::string& link, const struct stat& linkInfo) {
    struct stat folder {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid;
}

struct Target {
    std::string path;  // the file to write, links followed
    bool exists = false;
    struct stat info {};
    std::string error;  // why the path cannot be written; empty when it can
};

Target Resolve(const std::string& requested) {
    Target target;
    target.path = requested;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        if (::lstat(target.path.c_str(), &target.info) != 0) {
            target.exists = false;
            if (errno != ENOENT) {
                target.error = Failure("невозможно открыть", target.path, errno).error;
            }
            return target;
        }
        target.exists = true;
        if (!S_ISLNK(target.info.st_mode)) {
            return target;
        }
        if (!MayFollow(target.path, target.info)) {
            target.error = "ссылка " + target.path +
                           " принадлежит другому пользователю в общей папке; по ней не пишется";
            return target;
        }
        std::vector<char> buffer(static_cast<std::size_t>(target.info.st_size) + 256);
        const ssize_t n = ::readlink(target.path.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            target.error = Failure("невозможно прочитать ссылку", target.path, errno).error;
            return target;
        }
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        target.path = next.front() == '/' ? next : FolderOf(target.path) + "/" + next;
    }
    target.error = Failure("невозможно открыть", requested, ELOOP).error;
    return target;
}

// Devices, FIFOs and standard output are written as they are.
AtomicWriteResult WriteInPlace(const std::string& path, std::string_view bytes) {
    if (path == "-") {
        return WriteAll(STDOUT_FILENO, bytes) ? AtomicWriteResult{true, {}}
                                              : Failure("невозможно записать", path, errno);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Failure("невозможно открыть", path, errno);
    }
    const bool written = WriteAll(fd, bytes);
    const int error = errno;
    ::close(fd);
    return written ? AtomicWriteResult{true, {}} : Failure("невозможно записать", path, error);
}

// Removes the temporary files of path that no writer holds any more. A writer
// keeps an flock on its temporary file until it has renamed it, so one that
// can be locked was left by a writer that was killed.
void RemoveLeftTemporaries(const std::string& path) {
    const std::string folder = FolderOf(path);
    const auto slash = path.find_last_of('/');
    const std::string prefix =
        (slash == std::string::npos ? path : path.substr(slash + 1)) + std::string(kTempInfix);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() != prefix.size() + kTempSuffix || !name.starts_with(prefix)) {
            continue;
        }
        const std::string temp = folder + "/" + std::string(name);
        const int fd = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(temp.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// Creates a temporary file beside path and returns it open and locked, the
// lock telling RemoveLeftTemporaries of other writers that this one lives.
// Between its creation and the lock another writer may take it for a
// left-over and remove it; the removed file is then replaced by a new one.
int CreateLockedTemporary(const std::string& path, std::string& temp) {
    for (int attempt = 0; attempt < kMaxTempAttempts; ++attempt) {
        temp = path + std::string(kTempInfix) + std::string(kTempSuffix, 'X');
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0) {
            return -1;
        }
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat info {};
        if (::fstat(fd, &info) == 0 && info.st_nlink > 0) {
            return fd;
        }
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

}  // namespace

mode_t CurrentUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        while (std::fgets(line, sizeof line, status) != nullptr) {
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                std::fclose(status);
                return static_cast<mode_t>(mask);
            }
        }
        std::fclose(status);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

AtomicFileWriter::AtomicFileWriter(std::string path, AtomicWriteOptions options)
    : requested_(std::move(path)), options_(std::move(options)) {}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) {
        ::unlink(temp_.c_str());
        ::close(fd_);
    }
}

AtomicWriteResult AtomicFileWriter::Abandon(const std::string& what, int error) {
    ::unlink(temp_.c_str());
    ::close(fd_);
    fd_ = -1;
    return Failure(what, path_, error);
}

AtomicWriteResult AtomicFileWriter::Open() {
    path_ = requested_;
    if (requested_ == "-") {
        inPlace_ = true;
        return {true, {}};
    }
    const Target target = Resolve(requested_);
    if (!target.error.empty()) {
        return {false, target.error};
    }
    path_ = target.path;
    if (target.exists && S_ISDIR(target.info.st_mode)) {
        return Failure("невозможно записать", path_, EISDIR);
    }
    if (target.exists && !S_ISREG(target.info.st_mode)) {
        inPlace_ = true;
        return {true, {}};
    }
    RemoveLeftTemporaries(path_);
    fd_ = CreateLockedTemporary(path_, temp_);
    if (fd_ < 0) {
        return Failure("невозможно создать временный файл для", path_, errno);
    }
    const mode_t mode = options_.mode   ? *options_.mode
                        : target.exists ? target.info.st_mode & 07777
                                        : 0666 & ~CurrentUmask();
    if (::fchmod(fd_, mode) != 0) {
        return Abandon("невозможно установить права", errno);
    }
    return {true, {}};
}

AtomicWriteResult AtomicFileWriter::Write(std::string_view bytes) {
    if (inPlace_) {
        pending_.append(bytes);
        return {true, {}};
    }
    if (fd_ < 0) {
        return Failure("невозможно записать", path_, EBADF);
    }
    if (!WriteAll(fd_, bytes)) {
        return Abandon("невозможно записать", errno);
    }
    return {true, {}};
}

AtomicWriteResult AtomicFileWriter::Commit() {
    if (inPlace_) {
        return WriteInPlace(path_, pending_);
    }
    if (fd_ < 0) {
        return Failure("невозможно записать", path_, EBADF);
    }
    if (::fsync(fd_) != 0) {
        return Abandon("невозможно сохранить на диск", errno);
    }
    if (options_.beforeRename && !options_.beforeRename(temp_)) {
        return Abandon("запись прервана для", EINTR);
    }
    // Renamed while still open and locked, so no other writer takes it for a
    // left-over in between.
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        return Abandon("невозможно заменить", errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        return Failure("невозможно закрыть", path_, errno);
    }
    SyncFolder(FolderOf(path_));
    return {true, {}};
}

AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                      const AtomicWriteOptions& options) {
    AtomicFileWriter writer(path, options);
    if (AtomicWriteResult opened = writer.Open(); !opened) {
        return opened;
    }
    if (AtomicWriteResult written = writer.Write(bytes); !written) {
        return written;
    }
    return writer.Commit();
}

AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                      mode_t mode) {
    AtomicWriteOptions options;
    options.mode = mode;
    return WriteFileAtomically(path, bytes, options);
}

AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileAtomically(path, bytes, AtomicWriteOptions{});
}

}  // namespace tulvo
