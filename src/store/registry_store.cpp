#include "store/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "store/atomic_file.h"
#include "store/byte_source.h"
#include "store/regedit_format.h"

namespace tulvo {

namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// Creates folder and its missing parents (mode 0700).
bool MakeFolders(const std::string& folder) {
    if (folder.empty()) {
        return true;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    if (!MakeFolders(ParentOf(folder))) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string FullKeyPath(std::string_view subKey) {
    while (!subKey.empty() && subKey.front() == '\\') {
        subKey.remove_prefix(1);
    }
    std::string path(kRoot);
    if (!subKey.empty()) {
        path += '\\';
        path += subKey;
    }
    return path;
}

// Holds an exclusive flock on a lock file beside the store while it lives.
class LockGuard {
  public:
    explicit LockGuard(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~LockGuard() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_;
};

}  // namespace

RegistryStore::RegistryStore(std::string path) : path_(std::move(path)) {}

std::string RegistryStore::DefaultPath(const char* xdgConfigHome, const char* home) {
    std::string base;
    if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
        base = xdgConfigHome;
    } else {
        if (home == nullptr || home[0] == '\0') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry != nullptr ? entry->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/ZARQ/MTulvo.reg";
}

std::string RegistryStore::DefaultPath() {
    return DefaultPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

RegistryKey RegistryStore::OpenKey(std::string_view subKey) {
    return RegistryKey(*this, FullKeyPath(subKey));
}

void RegistryStore::Acquire() {
    if (openKeys_++ == 0) {
        Refresh();
    }
}

void RegistryStore::Release() {
    if (--openKeys_ == 0 && HasPendingChanges()) {
        Flush();
    }
}

RegistryStore::FileStamp RegistryStore::StampOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size,
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

RegistryStore::FileStamp RegistryStore::CurrentStamp() const {
    struct stat info {};
    return ::stat(path_.c_str(), &info) == 0 ? StampOf(info) : FileStamp{};
}

RegistryTree RegistryStore::ReadFile(FileStamp& stamp) const {
    stamp = {};
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        stamp = StampOf(info);
    }
    ByteSource source(fd, RegeditLimits{}.maxFileBytes);
    RegistryTree tree = ReadRegedit(source);
    ::close(fd);
    return tree;
}

// Reads the file again only when it was replaced or changed since the last read.
void RegistryStore::Refresh() {
    if (CurrentStamp() == stamp_) {
        return;
    }
    file_ = ReadFile(stamp_);
}

const RegistryValue* RegistryStore::Find(const std::string& key, std::string_view name) const {
    if (const RegistryValue* value = pending_.Find(key, name)) {
        return value;
    }
    return file_.Find(key, name);
}

const RegistryValue* RegistryStore::Read(const std::string& key, std::string_view name) {
    const RegistryValue* value = Find(key, name);
    if (value != nullptr) {
        seen_.Set(key, name, *value);
    }
    return value;
}

void RegistryStore::Write(const std::string& key, std::string_view name, RegistryValue value) {
    const RegistryValue* before = seen_.Find(key, name);
    if (before == nullptr) {
        before = Find(key, name);
    }
    if (before != nullptr && *before == value) {
        return;
    }
    seen_.Set(key, name, value);
    pending_.Set(key, name, std::move(value));
}

bool RegistryStore::Flush() {
    if (!HasPendingChanges()) {
        return true;
    }
    if (!MakeFolders(ParentOf(path_))) {
        lastError_ = "cannot create the folder of " + path_ + ": " + std::strerror(errno);
        return false;
    }
    LockGuard lock(path_ + ".lock");
    if (!lock.Held()) {
        lastError_ = "cannot lock " + path_ + ".lock: " + std::strerror(errno);
        return false;
    }
    return SaveLocked();
}

bool RegistryStore::SaveLocked() {
    FileStamp stamp;
    RegistryTree merged = ReadFile(stamp);
    merged.Apply(pending_);
    AtomicWriteOptions options;
    options.mode = 0600;
    options.beforeRename = beforeRename_;
    const AtomicWriteResult result = WriteFileAtomically(path_, WriteRegedit(merged), options);
    if (!result) {
        lastError_ = result.error;
        return false;
    }
    ++saveCount_;
    lastError_.clear();
    file_ = std::move(merged);
    pending_ = RegistryTree();
    stamp_ = CurrentStamp();
    return true;
}

}  // namespace tulvo
