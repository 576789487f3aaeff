#include "store/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "model/cp1251.h"
#include "store/atomic_file.h"
#include "store/byte_source.h"
#include "store/regedit_format.h"
#include "store/store_file_checks.h"
#include "store/system_reason.h"

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
        errno = S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
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
        // A link planted in the lock's place is not followed.
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600)) {
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

std::string SizeText(std::uint64_t bytes) {
    return std::to_string(bytes >> 20) + " МБ";
}

std::string ReasonOf(int error) {
    if (error == EACCES || error == EPERM) {
        return "нет прав на его чтение";
    }
    return SystemReason(error);
}

}  // namespace

RegistryStore::RegistryStore(std::string path, RegeditLimits limits)
    : path_(std::move(path)), limits_(limits) {}

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

bool RegistryStore::Open() {
    if (openKeys_ == 0) {
        Refresh();
    }
    return Usable();
}

RegistryKey RegistryStore::OpenKey(std::string_view subKey) {
    return RegistryKey(*this, FullKeyPath(subKey));
}

RegistryStore::OwnWrites::OwnWrites(RegistryStore& store) : store_(store) {
    ++store_.ownWrites_;
}

RegistryStore::OwnWrites::~OwnWrites() {
    --store_.ownWrites_;
}

RegistryStore::Batch::Batch(RegistryStore& store) : store_(&store) {
    store_->Acquire();
}

RegistryStore::Batch::~Batch() {
    Close();
}

bool RegistryStore::Batch::Close() {
    if (store_ == nullptr) {
        return true;
    }
    RegistryStore& store = *store_;
    store_ = nullptr;
    store.Release();
    return store.Usable() && (store.InBatch() || !store.HasPendingChanges());
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

RegistryStore::FileRead RegistryStore::ReadFile() const {
    FileRead read;
    const std::string what = "Файл настроек " + path_ + " не может быть использован: ";
    const RegeditLimits& limits = limits_;
    // Not blocking: a FIFO given as the store must not hang the program.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            read.problem = what + ReasonOf(errno) + ".";
        }
        return read;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        read.problem = what + ReasonOf(errno) + ".";
    } else if (!S_ISREG(info.st_mode)) {
        read.problem = what + "это не обычный файл.";
    } else if (static_cast<std::uint64_t>(info.st_size) > limits.maxFileBytes) {
        read.problem = what + "он больше " + SizeText(limits.maxFileBytes) + ".";
    }
    if (!read.problem.empty()) {
        ::close(fd);
        return read;
    }
    read.stamp = StampOf(info);
    ByteSource source(fd, limits.maxFileBytes);
    RegeditReadStats stats;
    read.tree = ReadRegedit(source, limits, &stats);
    read.format = stats.format;
    // An empty file behind a UTF-16 mark gets regedit's Unicode header.
    read.format.version5 = read.format.version5 || (stats.blank && stats.format.utf16);
    ::close(fd);
    if (source.Failed()) {
        read.problem = what + "ошибка чтения.";
    } else if (!stats.blank && !stats.header) {
        read.problem =
            what + "это не файл реестра (REGEDIT4 или " + "Windows Registry Editor Version 5.00).";
    } else if (!stats.blank && !stats.Whole()) {
        read.problem =
            what + "он повреждён или превышает пределы (" + SizeText(limits.maxFileBytes) + ").";
    }
    if (!read.problem.empty()) {
        read.tree = RegistryTree();
    }
    return read;
}

// Reads the file again only when it was replaced or changed since the last
// read. A file that cannot be the store is not read again: the program goes on
// with what it has and never writes over it.
void RegistryStore::Refresh() {
    if (!Usable() || (read_ && CurrentStamp() == stamp_)) {
        return;
    }
    FileRead read = ReadFile();
    read_ = true;
    if (!read.problem.empty()) {
        problem_ = std::move(read.problem);
        lastError_ = problem_;
        file_ = RegistryTree();
        return;
    }
    file_ = std::move(read.tree);
    format_ = read.format;
    stamp_ = read.stamp;
}

RegistryValue RegistryStore::ForProgram(RegistryValue value) const {
    if (format_.version5 && value.type == RegistryValue::kString) {
        value.data = Utf8ToCp1251(value.data);
    }
    return value;
}

RegistryValue RegistryStore::ForFile(RegistryValue value, const RegeditFormat& format) {
    if (format.version5 && value.type == RegistryValue::kString) {
        value.data = Cp1251ToUtf8(value.data);
    }
    return value;
}

std::optional<RegistryValue> RegistryStore::Find(const std::string& key,
                                                 std::string_view name) const {
    if (const RegistryValue* value = pending_.Find(key, name)) {
        return *value;
    }
    if (const RegistryValue* value = file_.Find(key, name)) {
        return ForProgram(*value);
    }
    if (const RegistryValue* value = soft_.Find(key, name)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<RegistryValue> RegistryStore::Read(const std::string& key, std::string_view name) {
    auto value = Find(key, name);
    if (value) {
        seen_.Set(key, name, *value);
    }
    return value;
}

RegistryStore::Change RegistryStore::Classify(const std::string& key, std::string_view name,
                                              const RegistryValue& value) const {
    if (const RegistryValue* seen = seen_.Find(key, name)) {
        return *seen == value ? Change::kNone : Change::kOwn;
    }
    if (const RegistryValue* byDefault = defaults_.Find(key, name);
        byDefault != nullptr && *byDefault == value) {
        return Change::kDefault;
    }
    const auto current = Find(key, name);
    return current && *current == value ? Change::kNone : Change::kOwn;
}

void RegistryStore::Write(const std::string& key, std::string_view name, RegistryValue value,
                          bool own) {
    const Change change = own || ownWrites_ > 0 ? Change::kOwn : Classify(key, name, value);
    if (change == Change::kDefault) {
        // Only where neither this process nor the file has a value yet.
        if (pending_.Find(key, name) == nullptr && file_.Find(key, name) == nullptr) {
            soft_.Set(key, name, std::move(value));
        }
        return;
    }
    if (change == Change::kNone) {
        return;
    }
    seen_.Set(key, name, value);
    pending_.Set(key, name, std::move(value));
}

void RegistryStore::WriteGroup(const std::string& key,
                               const std::vector<std::pair<std::string, RegistryValue>>& values) {
    bool own = false;
    for (const auto& [name, value] : values) {
        own = own || Classify(key, name, value) == Change::kOwn;
    }
    for (const auto& [name, value] : values) {
        Write(key, name, value, own);
    }
}

void RegistryStore::NoteDefault(const std::string& key, std::string_view name,
                                RegistryValue value) {
    if (seen_.Find(key, name) == nullptr && !Find(key, name)) {
        defaults_.Set(key, name, std::move(value));
    }
}

bool RegistryStore::Flush() {
    if (!HasPendingChanges()) {
        return true;
    }
    if (!Usable()) {
        lastError_ = problem_;
        return false;
    }
    const std::string folder = FolderOfPath(path_);
    if (!MakeFolders(ParentOf(path_))) {
        lastError_ =
            "невозможно сохранить файл настроек " + path_ + ": " + FolderReason(folder, errno);
        return false;
    }
    LockGuard lock(path_ + ".lock");
    if (!lock.Held()) {
        lastError_ = "невозможно сохранить файл настроек " + path_ + ": " +
                     LockReason(path_ + ".lock", errno);
        return false;
    }
    return SaveLocked();
}

bool RegistryStore::SaveLocked() {
    FileRead read = ReadFile();
    if (!read.problem.empty()) {
        // Another program left something here that is no store: it stays.
        problem_ = read.problem;
        lastError_ = problem_;
        return false;
    }
    // The rename would replace a file the user has made read-only.
    if (store_file_checks::WriteProtected(path_)) {
        lastError_ = "файл настроек " + path_ + " защищён от записи";
        return false;
    }
    RegistryTree& merged = read.tree;
    for (const auto& key : soft_.Keys()) {
        for (const auto& [name, value] : key.values) {
            if (merged.Find(key.path, name) == nullptr) {
                merged.Set(key.path, name, ForFile(value, read.format));
            }
        }
    }
    for (const auto& key : pending_.Keys()) {
        for (const auto& [name, value] : key.values) {
            merged.Set(key.path, name, ForFile(value, read.format));
        }
    }
    AtomicWriteOptions options;
    options.mode = 0600;
    options.beforeRename = beforeRename_;
    const AtomicWriteResult result =
        WriteFileAtomically(path_, WriteRegedit(merged, read.format), options);
    if (!result) {
        lastError_ = result.error;
        return false;
    }
    ++saveCount_;
    lastError_.clear();
    file_ = std::move(merged);
    format_ = read.format;
    pending_ = RegistryTree();
    soft_ = RegistryTree();
    read_ = true;
    stamp_ = CurrentStamp();
    return true;
}

}  // namespace tulvo
