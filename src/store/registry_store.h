#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "store/registry_key.h"
#include "store/registry_tree.h"

namespace tulvo {

// The registry of the current user, kept in one file in REGEDIT4 syntax (see
// regedit_format.h) so it can travel to and from a Windows machine.
//
// Values written through open keys are kept in memory until the last key is
// closed; then they are saved in one go: under an exclusive lock on
// "<file>.lock" the file is read again, only the values this process changed
// are put into it, and it is replaced atomically (mode 0600, it holds
// passwords). A value counts as changed when it differs from what this process
// last read or wrote, so writing back an image loaded earlier does not undo
// another program's changes. Two programs sharing the file therefore never
// lose each other's values. A damaged file never stops anything: what parses
// is used.
//
// Not thread-safe: one thread uses a store at a time.
class RegistryStore {
  public:
    explicit RegistryStore(std::string path);

    // $XDG_CONFIG_HOME/ZARQ/MTulvo.reg, or ~/.config/ZARQ/MTulvo.reg.
    static std::string DefaultPath();
    static std::string DefaultPath(const char* xdgConfigHome, const char* home);

    const std::string& Path() const { return path_; }

    // Opens a key below HKEY_CURRENT_USER, e.g. "\SOFTWARE\ZARQ\MTulvo\Setting".
    // A missing key is created with its first value.
    RegistryKey OpenKey(std::string_view subKey);

    // Saves the pending values now. False, with LastError(), when the file could
    // not be written; the values then stay pending and the next save retries.
    bool Flush();
    bool HasPendingChanges() const { return !pending_.Empty(); }
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

    void Acquire();
    void Release();
    void Refresh();
    const RegistryValue* Find(const std::string& key, std::string_view name) const;
    const RegistryValue* Read(const std::string& key, std::string_view name);
    void Write(const std::string& key, std::string_view name, RegistryValue value);
    bool SaveLocked();
    RegistryTree ReadFile(FileStamp& stamp) const;
    static FileStamp StampOf(const struct stat& info);
    FileStamp CurrentStamp() const;

    std::string path_;
    RegistryTree file_;     // the file as last read or written
    RegistryTree pending_;  // values this process changed since
    // Each value as this process last read or wrote it. A write that gives a
    // value back what this process saw is no change of its own, even when
    // another program has changed the value since: that change is kept.
    RegistryTree seen_;
    FileStamp stamp_;
    int openKeys_ = 0;
    int saveCount_ = 0;
    std::string lastError_;
    std::function<bool(const std::string&)> beforeRename_;
};

}  // namespace tulvo
