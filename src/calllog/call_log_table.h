#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "calllog/call_log_row.h"

namespace tulvo {

// The call-log table: rows in insertion order, each numbered by N. A new row
// gets one more than the largest N assigned or loaded since the table was
// created or loaded (0 for the first); deleting rows never lowers it.
//
// The table also remembers its own changes since it last matched its file
// (MarkSynced): rows appended, rows edited (with what they were) and rows
// deleted. Another program may have changed the file meanwhile; RebaseOnto
// then puts exactly these changes onto the rows the file holds now.
class CallLogTable {
  public:
    std::size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const CallLogRow& Row(std::size_t index) const { return rows_[index]; }
    std::span<const CallLogRow> Rows() const { return rows_; }

    // The N the next appended row gets.
    std::int32_t NextN() const { return nextN_; }

    // Appends row with the next N; returns its index.
    std::size_t Append(CallLogRow row);
    // Appends rows that already carry their N (a file's, or numbered with
    // NextN() by a download), continuing the counter after the largest.
    void AppendNumbered(std::span<const CallLogRow> rows);
    void AppendNumbered(const CallLogRow& row);
    void Reserve(std::size_t count);

    // Replaces the row at index (an edit in the grid).
    void SetRow(std::size_t index, const CallLogRow& row);

    // Deletes the rows that pass() accepts; returns how many went. The rest keep
    // their order.
    std::size_t DeleteIf(const std::function<bool(const CallLogRow&)>& pass);

    // Back to the empty table of a fresh start: no rows, the next N is 0.
    void Reset();

    // Changes made since the table last matched its file.
    bool HasChanges() const;
    // The table now matches its file: no changes of its own.
    void MarkSynced();
    // Names the state of the file the table was last matched with, for its
    // storage (0: none); Reset() forgets it.
    void SetSyncMark(std::uint64_t mark) { syncMark_ = mark; }
    std::uint64_t SyncMark() const { return syncMark_; }
    // The table becomes `file` (the rows its file holds now) with this
    // table's own changes applied: deleted rows leave it, edited rows replace
    // what they were, appended rows follow at the end, renumbered after the
    // file's largest N where theirs are taken. A row the file no longer holds
    // stays out unless this table edited it. Identical rows are told apart by
    // count, so each change applies to one row only. The changes stay pending.
    void RebaseOnto(std::vector<CallLogRow> file);
    // Hands the rows over and leaves the table empty, as after Reset().
    std::vector<CallLogRow> ReleaseRows();

  private:
    // What a row is to the file: unchanged, new, or edited (kEdited + the
    // index of its original in originals_).
    static constexpr std::uint32_t kSynced = 0;
    static constexpr std::uint32_t kNew = 1;
    static constexpr std::uint32_t kEdited = 2;

    void Count(const CallLogRow& row);

    std::vector<CallLogRow> rows_;
    std::vector<std::uint32_t> origin_;
    std::vector<CallLogRow> originals_;  // edited rows as the file holds them
    std::vector<CallLogRow> removed_;    // deleted rows as the file holds them
    std::int32_t nextN_ = 0;
    std::uint64_t syncMark_ = 0;
};

}  // namespace tulvo
