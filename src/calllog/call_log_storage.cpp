#include "calllog/call_log_storage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "calllog/call_log_file.h"
#include "model/operator.h"
#include "store/atomic_file.h"
#include "store/file_lock.h"
#include "store/system_reason.h"

namespace tulvo {
namespace {

constexpr const char* kCannotSave = "Невозможно сохранить файл базы звонков ";

enum class ReadResult { Read, Missing, Failed };

struct FileRead {
    ReadResult result = ReadResult::Missing;
    std::string bytes;
    std::string reason;  // why it failed, for the operator
};

long long Nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

// Opened without blocking and only when it is a regular file, so a FIFO in
// its place cannot hang the program. -1 with read's result and reason when
// it cannot be read.
int OpenForReading(const std::string& path, FileRead& read, off_t& size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        read.result =
            errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
        read.reason = SystemReason(errno);
        return -1;
    }
    read.result = ReadResult::Read;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        read.result = ReadResult::Failed;
        read.reason = "это не обычный файл";
        ::close(fd);
        return -1;
    }
    size = std::max<off_t>(info.st_size, 0);
    return fd;
}

// Reads fd to its end, handing each piece over until piece returns false.
// Closes fd; on a read error read becomes Failed with the reason.
void ReadPieces(int fd, FileRead& read, const std::function<bool(std::string_view)>& piece) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            read.result = ReadResult::Failed;
            read.reason = SystemReason(errno);
            break;
        }
        if (got == 0 || !piece({buffer.data(), static_cast<std::size_t>(got)})) {
            break;
        }
    }
    ::close(fd);
}

// The whole file.
FileRead ReadWholeFile(const std::string& path) {
    FileRead read;
    off_t size = 0;
    const int fd = OpenForReading(path, read, size);
    if (fd < 0) {
        return read;
    }
    read.bytes.reserve(static_cast<std::size_t>(size) + 1);
    ReadPieces(fd, read, [&read](std::string_view piece) {
        read.bytes.append(piece);
        return true;
    });
    return read;
}

// The rows of a file, handed to visit as they are read until it returns
// false; none is kept.
struct Scan {
    ReadResult result = ReadResult::Missing;
    std::string reason;  // why it could not be read
    bool parsed = true;
    std::string error;  // why it is no call-log file
};

Scan ScanRows(const std::string& path, const std::function<bool(const CallLogRow&)>& visit) {
    Scan scan;
    FileRead read;
    off_t size = 0;
    const int fd = OpenForReading(path, read, size);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        bool more = true;
        call_log_file::RowStream rows([&](const CallLogRow& row) { more = more && visit(row); });
        ReadPieces(fd, read, [&](std::string_view piece) {
            scan.parsed = rows.Feed(piece, scan.error);
            return scan.parsed && more;
        });
        if (read.result == ReadResult::Read && scan.parsed && more) {
            scan.parsed = rows.Finish(scan.error);
        }
    }
    scan.result = read.result;
    scan.reason = read.reason;
    return scan;
}

std::string Stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y%m%d-%H%M%S", &local);
    return text.data();
}

std::int32_t LargestN(std::span<const CallLogRow> rows) {
    std::int32_t largest = -1;
    for (const CallLogRow& row : rows) {
        largest = std::max(largest, row.Int(CallLogField::N).value_or(-1));
    }
    return largest;
}

// Numbers rows after largest, keeping the N of a row that is not taken.
void NumberAfter(std::vector<CallLogRow>& rows, std::int32_t largest) {
    std::int32_t next = largest + 1;
    for (CallLogRow& row : rows) {
        const std::int32_t n = row.Int(CallLogField::N).value_or(-1);
        if (n < next) {
            row.SetInt(CallLogField::N, next);
        }
        next = std::max(next, n) + 1;
    }
}

// Each state of a file that a table was matched with gets its own mark.
std::uint64_t NewSyncMark() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

}  // namespace

bool CallLogStorage::Snapshot::operator==(const Snapshot& other) const {
    return known && other.known && exists == other.exists && device == other.device &&
           inode == other.inode && size == other.size && modifiedNs == other.modifiedNs &&
           changedNs == other.changedNs && generation == other.generation;
}

CallLogStorage::CallLogStorage(std::string folder)
    : folder_(folder.empty() ? std::string(".") : std::move(folder)), path_(PathIn(folder_)) {}

std::string CallLogStorage::PathIn(const std::string& folder) {
    return (folder.empty() ? std::string(".") : folder) + "/" + call_log_file::kFileName;
}

CallLogStorage::Snapshot CallLogStorage::Look(const FileLock& lock) const {
    Snapshot snapshot;
    snapshot.known = lock.Held();
    snapshot.generation = lock.Generation();
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        snapshot.exists = true;
        snapshot.device = info.st_dev;
        snapshot.inode = info.st_ino;
        snapshot.size = info.st_size;
        snapshot.modifiedNs = Nanoseconds(info.st_mtim);
        snapshot.changedNs = Nanoseconds(info.st_ctim);
    }
    return snapshot;
}

bool CallLogStorage::Load(CallLogTable& table, Operator& op) {
    table.Reset();
    // Reading changes nothing on disk: without a lock file there is no lock.
    const FileLock lock(LockPath(), FileLock::Mode::Shared, false);
    const Snapshot snapshot = Look(lock);
    table.Reserve(static_cast<std::size_t>(std::max<off_t>(snapshot.size, 0)) / 150);
    if (!Scanned(
            [&table](const CallLogRow& row) {
                table.AppendNumbered(row);
                return true;
            },
            op, true)) {
        table.Reset();
        return false;
    }
    table.MarkSynced();
    synced_ = written_ = snapshot;
    writtenLargestN_ = LargestN(table.Rows());
    Matched(table);
    return true;
}

bool CallLogStorage::ForEachRow(const std::function<bool(const CallLogRow&)>& visit, Operator& op) {
    // As Load: under a shared lock, created by nobody. A file that cannot be
    // parsed stays where it is: whoever next loads it to change it sets it
    // aside.
    const FileLock lock(LockPath(), FileLock::Mode::Shared, false);
    return Scanned(visit, op, false);
}

bool CallLogStorage::Scanned(const std::function<bool(const CallLogRow&)>& visit, Operator& op,
                             bool setAside) {
    const Scan scan = ScanRows(path_, visit);
    switch (scan.result) {
        case ReadResult::Missing:
            return true;
        case ReadResult::Failed:
            keepFile_ = true;
            op.ErrorWithDetail("Невозможно открыть файл базы звонков " + path_, scan.reason);
            return false;
        case ReadResult::Read:
            break;
    }
    if (!scan.parsed && setAside) {
        SetAside(scan.error, op);
        return false;
    }
    if (!scan.parsed) {
        keepFile_ = true;
        op.ErrorWithDetail("Невозможно открыть файл базы звонков " + path_ +
                               ": файл не читается как база звонков; он не изменён.",
                           scan.error);
        return false;
    }
    return true;
}

void CallLogStorage::SetAside(const std::string& error, Operator& op) {
    const std::string aside = path_ + "." + Stamp() + ".bad";
    if (::rename(path_.c_str(), aside.c_str()) == 0) {
        op.Error(error + "\nФайл базы звонков сохранён как " + aside +
                 "; база звонков начата заново.");
        return;
    }
    keepFile_ = true;
    op.ErrorWithDetail(
        error + "\nФайл базы звонков не удалось отложить: " + path_ + "; он не будет перезаписан.",
        SystemReason(errno));
}

bool CallLogStorage::Mirrors(const CallLogTable& table, const Snapshot& now) const {
    return table.SyncMark() != 0 && table.SyncMark() == syncedMark_ && now == synced_;
}

void CallLogStorage::Matched(CallLogTable& table) {
    syncedMark_ = NewSyncMark();
    table.SetSyncMark(syncedMark_);
}

bool CallLogStorage::Refused(Operator& op) const {
    if (!keepFile_) {
        return false;
    }
    op.ErrorWithDetail(kCannotSave + path_,
                       "файл не удалось прочитать; он сохраняется таким, как есть");
    return true;
}

bool CallLogStorage::ReadRows(std::vector<CallLogRow>& rows, Operator& op,
                              const std::string& failure) const {
    rows.clear();
    const Scan scan = ScanRows(path_, [&rows](const CallLogRow& row) {
        rows.push_back(row);
        return true;
    });
    if (scan.result == ReadResult::Missing || (scan.result == ReadResult::Read && scan.parsed)) {
        return true;
    }
    op.ErrorWithDetail(failure + path_ + ": файл не читается как база звонков; он не изменён.",
                       scan.result == ReadResult::Read ? scan.error : scan.reason);
    return false;
}

bool CallLogStorage::PrepareFolder(Operator& op) const {
    std::error_code failed;
    std::filesystem::create_directories(folder_, failed);
    if (failed) {
        op.ErrorWithDetail(kCannotSave + path_, FolderReason(folder_, failed.value()));
        return false;
    }
    return true;
}

bool CallLogStorage::WriteLocked(const std::function<AtomicWriteResult(AtomicFileWriter&)>& write,
                                 FileLock& lock, Operator& op) {
    AtomicFileWriter writer(path_);
    AtomicWriteResult result = writer.Open();
    if (result) {
        result = write(writer);
    }
    if (result) {
        result = writer.Commit();
    }
    if (!result) {
        op.ErrorWithDetail(kCannotSave + path_, result.error);
        return false;
    }
    lock.CountSave();
    written_ = Look(lock);
    return true;
}

bool CallLogStorage::LockForChange(std::optional<FileLock>& lock, Operator& op) const {
    if (Refused(op) || !PrepareFolder(op)) {
        return false;
    }
    lock.emplace(LockPath(), FileLock::Mode::Exclusive);
    if (!lock->Held()) {
        op.ErrorWithDetail(kCannotSave + path_, LockReason(LockPath(), lock->Error()));
        return false;
    }
    return true;
}

bool CallLogStorage::CatchUp(CallLogTable& table, const FileLock& lock, Operator& op,
                             const std::string& failure) {
    const Snapshot now = Look(lock);
    if (Mirrors(table, now)) {
        return true;
    }
    std::vector<CallLogRow> rows;
    if (!ReadRows(rows, op, failure)) {
        return false;
    }
    table.RebaseOnto(std::move(rows));
    synced_ = now;
    Matched(table);
    return true;
}

bool CallLogStorage::Save(CallLogTable& table, Operator& op) {
    std::optional<FileLock> lock;
    if (!LockForChange(lock, op) || !CatchUp(table, *lock, op, kCannotSave)) {
        return false;
    }
    const auto rows = table.Rows();
    if (!WriteLocked(
            [rows](AtomicFileWriter& writer) { return call_log_file::WriteFile(writer, rows); },
            *lock, op)) {
        return false;
    }
    table.MarkSynced();
    synced_ = written_;
    writtenLargestN_ = LargestN(table.Rows());
    Matched(table);
    return true;
}

bool CallLogStorage::Refresh(CallLogTable& table, Operator& op) {
    if (keepFile_) {
        return false;  // the file could not be read at the start; it still cannot be
    }
    // Created here, so that the next look can tell an unchanged file.
    const FileLock lock(LockPath(), FileLock::Mode::Shared, true);
    return CatchUp(table, lock, op, "Невозможно открыть файл базы звонков ");
}

bool CallLogStorage::Current(const CallLogTable& table) const {
    if (keepFile_) {
        return true;  // nothing newer can be read from it
    }
    const FileLock lock(LockPath(), FileLock::Mode::Shared, true);
    return Mirrors(table, Look(lock));
}

bool CallLogStorage::AppendRows(std::vector<CallLogRow>& rows, Operator& op) {
    std::optional<FileLock> lock;
    if (!LockForChange(lock, op)) {
        return false;
    }
    std::string bytes;
    std::int32_t largest = writtenLargestN_;
    if (Look(*lock) == written_ && written_.exists) {
        // Nobody saved since this program did: the rows go after its bytes.
        FileRead read = ReadWholeFile(path_);
        if (read.result != ReadResult::Read) {
            op.ErrorWithDetail(kCannotSave + path_, read.reason);
            return false;
        }
        bytes = std::move(read.bytes);
        NumberAfter(rows, largest);
        bytes += call_log_file::FormatRows(rows);
    } else {
        std::vector<CallLogRow> file;
        if (!ReadRows(file, op, kCannotSave)) {
            return false;
        }
        largest = std::max(largest, LargestN(file));
        NumberAfter(rows, largest);
        bytes = call_log_file::Format(file, rows);
    }
    if (!WriteLocked([&bytes](AtomicFileWriter& writer) { return writer.Write(bytes); }, *lock,
                     op)) {
        return false;
    }
    writtenLargestN_ = std::max(largest, LargestN(rows));
    return true;
}

}  // namespace tulvo
