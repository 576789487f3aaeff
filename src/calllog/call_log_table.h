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
class CallLogTable {
  public:
    std::size_t Size() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    const CallLogRow& Row(std::size_t index) const { return rows_[index]; }
    CallLogRow& Row(std::size_t index) { return rows_[index]; }
    std::span<const CallLogRow> Rows() const { return rows_; }

    // The N the next appended row gets.
    std::int32_t NextN() const { return nextN_; }

    // Appends row with the next N; returns its index.
    std::size_t Append(CallLogRow row);
    // Appends rows that already carry their N (a file's, or numbered with
    // NextN() by a download), continuing the counter after the largest.
    void AppendNumbered(std::span<const CallLogRow> rows);
    void AppendNumbered(const CallLogRow& row);
    void Reserve(std::size_t count) { rows_.reserve(count); }

    // Deletes the rows that pass() accepts; returns how many went. The rest keep
    // their order.
    std::size_t DeleteIf(const std::function<bool(const CallLogRow&)>& pass);

    // Back to the empty table of a fresh start: no rows, the next N is 0.
    void Reset();

  private:
    void Count(const CallLogRow& row);

    std::vector<CallLogRow> rows_;
    std::int32_t nextN_ = 0;
};

}  // namespace tulvo
