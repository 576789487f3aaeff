#include "store/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tulvo {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

AtomicWriteResult Failure(const std::string& what, const std::string& path, int error) {
    return {false, what + " " + path + ": " + std::strerror(error)};
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

// A symbolic link is followed, so the file it names is replaced and the link
// stays (as dotfiles kept elsewhere expect).
std::string ResolvedTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) {
        return path;
    }
    std::string resolved(real);
    std::free(real);
    return resolved;
}

}  // namespace

AtomicWriteResult WriteFileAtomically(const std::string& requestedPath, std::string_view bytes,
                                      const AtomicWriteOptions& options) {
    const std::string path = ResolvedTarget(requestedPath);
    std::string temp = path + ".tmp.XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return Failure("cannot create a temporary file for", path, errno);
    }
    auto abandon = [&](const std::string& what, int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Failure(what, path, error);
    };
    if (::fchmod(fd, options.mode) != 0) {
        return abandon("cannot set the mode of", errno);
    }
    if (!WriteAll(fd, bytes)) {
        return abandon("cannot write", errno);
    }
    if (::fsync(fd) != 0) {
        return abandon("cannot sync", errno);
    }
    if (options.beforeRename && !options.beforeRename(temp)) {
        return abandon("write interrupted for", EINTR);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return Failure("cannot close", path, error);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return Failure("cannot replace", path, error);
    }
    SyncFolder(FolderOf(path));
    return {true, {}};
}

AtomicWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                      mode_t mode) {
    AtomicWriteOptions options;
    options.mode = mode;
    return WriteFileAtomically(path, bytes, options);
}

}  // namespace tulvo
