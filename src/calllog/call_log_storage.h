#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calllog/call_log_row.h"
#include "calllog/call_log_table.h"
#include "store/atomic_file.h"
#include "store/file_lock.h"

namespace tulvo {

class Operator;

// The storage file of the call-log table in one folder, with its messages
// to the operator. Several programs may download into, edit and clear the
// same file: every change is made under an exclusive lock on
// "DataBilling.dbf.lock", from what the file holds at that moment, and only
// the change of this program is applied to it before the file is replaced
// atomically. A table older than the file is never written over it.
//
// One thread uses a storage at a time (a download's job may be on a worker
// thread while the caller waits for it).
class CallLogStorage {
  public:
    explicit CallLogStorage(std::string folder);

    const std::string& Path() const { return path_; }
    // The storage file in `folder` (the current folder when it is empty).
    static std::string PathIn(const std::string& folder);

    // Fills table from the file. A missing or empty file is an empty table
    // without a message. A file that cannot be parsed is renamed aside (with
    // the date and time in its name) so the next save cannot overwrite it;
    // the error box says so and the table starts empty. A file that can be
    // neither read nor set aside stays as it is, and nothing replaces it
    // from then on. False when a message was shown.
    bool Load(CallLogTable& table, Operator& op);

    // Hands the rows of the file to visit in order, keeping none of them,
    // until visit returns false; the file is only read. A missing or empty
    // file has no rows. A file that cannot be read or parsed is reported,
    // left as it is, and gives false.
    bool ForEachRow(const std::function<bool(const CallLogRow&)>& visit, Operator& op);

    // Puts the table's own changes (rows added, edited and deleted since it
    // was last loaded or saved) into the file as it is now and replaces it;
    // the table then holds what the file holds. On failure a message naming
    // the file, and false; the table keeps its rows and its changes.
    bool Save(CallLogTable& table, Operator& op);

    // The table catches up with the file without writing it: what other
    // programs saved joins it, its own unsaved changes stay.
    bool Refresh(CallLogTable& table, Operator& op);
    // Nobody saved the file since the table was last matched with it.
    bool Current(const CallLogTable& table) const;

    // Adds rows at the end of the file as it is now, leaving any table alone
    // (a download saves each block so before erasing it). Rows whose N the
    // file already uses are renumbered after its largest N.
    bool AppendRows(std::vector<CallLogRow>& rows, Operator& op);

  private:
    // What the file was at one moment, and how many saves the lock file had
    // counted then.
    struct Snapshot {
        bool known = false;  // false: compare equal to nothing
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        long long modifiedNs = 0;
        long long changedNs = 0;
        std::uint64_t generation = 0;
        bool operator==(const Snapshot& other) const;
    };

    Snapshot Look(const FileLock& lock) const;
    // The table holds the file as it is now (plus its own changes) when it
    // was the last one matched with the file and nobody saved since.
    bool Mirrors(const CallLogTable& table, const Snapshot& now) const;
    void Matched(CallLogTable& table);
    // The rows of the file as it is now; false with a message when it cannot
    // be read or parsed (then it is not replaced either); the message starts
    // with failure and the file's path.
    bool ReadRows(std::vector<CallLogRow>& rows, Operator& op, const std::string& failure) const;
    bool PrepareFolder(Operator& op) const;
    // The folder and the exclusive lock for a change; false with a message.
    bool LockForChange(std::optional<FileLock>& lock, Operator& op) const;
    // Makes table hold the file as it is now with its own changes on top.
    bool CatchUp(CallLogTable& table, const FileLock& lock, Operator& op,
                 const std::string& failure);
    // Replaces the file with what write puts into the writer.
    bool WriteLocked(const std::function<AtomicWriteResult(AtomicFileWriter&)>& write,
                     FileLock& lock, Operator& op);
    // Hands the file's rows to visit; a fault is reported (an unparsable
    // file set aside when setAside says so) and gives false, a missing file
    // no rows.
    bool Scanned(const std::function<bool(const CallLogRow&)>& visit, Operator& op, bool setAside);
    void SetAside(const std::string& error, Operator& op);
    bool Refused(Operator& op) const;
    std::string LockPath() const { return path_ + ".lock"; }

    std::string folder_;
    std::string path_;
    // The file as a table last matched it (Load, Save, Refresh), and that
    // table's mark.
    Snapshot synced_;
    std::uint64_t syncedMark_ = 0;
    // The file as this program last wrote it, and the largest N in it.
    Snapshot written_;
    std::int32_t writtenLargestN_ = -1;
    // Set when the file could be neither read nor set aside: it stays.
    std::atomic<bool> keepFile_{false};
};

}  // namespace tulvo
