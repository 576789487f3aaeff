#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store/regedit_format.h"
#include "store/registry_key.h"
#include "store/registry_tree.h"

namespace tulvo {

// The registry of the current user, kept in one file in regedit's export
// syntax (see regedit_format.h) so it can travel to and from a Windows machine.
// A file is written back in the format it was read in; a new one is REGEDIT4.
//
// Values written through open keys are kept in memory until the last key (or
// batch) is closed; then they are saved in one go: under an exclusive lock on
// "<file>.lock" the file is read again, only the values this process changed
// are put into it, and it is replaced atomically (mode 0600, it holds
// passwords). A value counts as changed when it differs from what this process
// last read or wrote, so writing back an image loaded earlier does not undo
// another program's changes. A value the file did not have when it was read,
// and that the program only gave its default (NoteDefault), is created when the
// file still lacks it but never replaces another program's value. Two programs
// sharing the file therefore never lose each other's values. Damaged lines are
// skipped and what parses is used.
//
// A file that exists but cannot be this program's store (no regular file,
// unreadable, not a registry file, damaged beyond single lines, over the size
// limit) is never written: Open() tells so once, reads then give nothing and
// saves fail with Problem() as their error.
//
// Not thread-safe: one thread uses a store at a time.
class RegistryStore {
  public:
    // limits bound what is read of the file; a file larger than
    // limits.maxFileBytes cannot be the store.
    explicit RegistryStore(std::string path, RegeditLimits limits = {});

    // $XDG_CONFIG_HOME/ZARQ/MTulvo.reg, or ~/.config/ZARQ/MTulvo.reg.
    static std::string DefaultPath();
    static std::string DefaultPath(const char* xdgConfigHome, const char* home);

    const std::string& Path() const { return path_; }

    // Reads the file when it has not been read yet. False when it cannot be
    // used as the store; Problem() then says why, for the operator.
    bool Open();
    bool Usable() const { return problem_.empty(); }
    const std::string& Problem() const { return problem_; }

    // Opens a key below HKEY_CURRENT_USER, e.g. "\SOFTWARE\ZARQ\MTulvo\Setting".
    // A missing key is created with its first value.
    RegistryKey OpenKey(std::string_view subKey);

    // Holds the store open like a key does, so that the operations inside read
    // one state of the file and are saved together, once, when the batch ends.
    class Batch {
      public:
        explicit Batch(RegistryStore& store);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Ends the batch now (saving when it is the outermost). True when
        // nothing of this process is left unsaved, or an outer batch will save it.
        bool Close();

      private:
        RegistryStore* store_;
    };

    // While alive, every value written counts as this process's own change,
    // even one equal to what it last read: values just read from the gateway
    // are saved so, and the store then holds what the gateway holds, whatever
    // another program saved meanwhile.
    class OwnWrites {
      public:
        explicit OwnWrites(RegistryStore& store);
        ~OwnWrites();
        OwnWrites(const OwnWrites&) = delete;
        OwnWrites& operator=(const OwnWrites&) = delete;

      private:
        RegistryStore& store_;
    };

    // Saves the pending values now. False, with LastError(), when the file could
    // not be written; the values then stay pending and the next save retries.
    bool Flush();
    bool HasPendingChanges() const { return !pending_.Empty() || !soft_.Empty(); }
    // A key or batch is open: saves wait for it to close.
    bool InBatch() const { return openKeys_ > 0; }
    const std::string& LastError() const { return lastError_; }
    // Counts the files written, so callers and tests can see that one
    // operation made at most one save.
    int SaveCount() const { return saveCount_; }

    // Test seam: called between writing the temporary file and renaming it over
    // the store; returning false aborts the save there.
    void SetBeforeRenameHook(std::function<bool(const std::string&)> hook) {
        beforeRename_ = std::move(hook);
    }

  private:
    friend class RegistryKey;

    struct FileStamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        long long modifiedNs = 0;
        bool operator==(const FileStamp&) const = default;
    };

    struct FileRead {
        RegistryTree tree;
        RegeditFormat format;
        FileStamp stamp;
        std::string problem;  // why the file cannot be the store; empty when it can
    };

    enum class Change { kNone, kDefault, kOwn };

    void Acquire();
    void Release();
    void Refresh();
    std::optional<RegistryValue> Find(const std::string& key, std::string_view name) const;
    std::optional<RegistryValue> Read(const std::string& key, std::string_view name);
    Change Classify(const std::string& key, std::string_view name,
                    const RegistryValue& value) const;
    void Write(const std::string& key, std::string_view name, RegistryValue value,
               bool own = false);
    void WriteGroup(const std::string& key,
                    const std::vector<std::pair<std::string, RegistryValue>>& values);
    void NoteDefault(const std::string& key, std::string_view name, RegistryValue value);
    bool SaveLocked();
    FileRead ReadFile() const;
    static FileStamp StampOf(const struct stat& info);
    FileStamp CurrentStamp() const;
    RegistryValue ForProgram(RegistryValue value) const;
    static RegistryValue ForFile(RegistryValue value, const RegeditFormat& format);

    std::string path_;
    RegeditLimits limits_;
    RegistryTree file_;  // the file as last read or written, in its own encoding
    RegeditFormat format_;
    // The rest hold values as the program sees them (Windows-1251 texts).
    RegistryTree pending_;  // values this process changed since the last save
    RegistryTree soft_;     // defaults to create where the file lacks them
    // Each value as this process last read or wrote it. A write that gives a
    // value back what this process saw is no change of its own, even when
    // another program has changed the value since: that change is kept.
    RegistryTree seen_;
    // Values the file lacked when read, with the default the program holds.
    RegistryTree defaults_;
    FileStamp stamp_;
    bool read_ = false;
    std::string problem_;
    int openKeys_ = 0;
    int ownWrites_ = 0;
    int saveCount_ = 0;
    std::string lastError_;
    std::function<bool(const std::string&)> beforeRename_;
};

}  // namespace tulvo
