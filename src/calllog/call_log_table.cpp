#include "calllog/call_log_table.h"

#include <algorithm>

namespace tulvo {

void CallLogTable::Count(const CallLogRow& row) {
    const auto n = row.Int(CallLogField::N);
    if (n && *n >= nextN_) {
        nextN_ = *n + 1;
    }
}

std::size_t CallLogTable::Append(CallLogRow row) {
    row.SetInt(CallLogField::N, nextN_++);
    rows_.push_back(row);
    return rows_.size() - 1;
}

void CallLogTable::AppendNumbered(std::span<const CallLogRow> rows) {
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    for (const CallLogRow& row : rows) {
        Count(row);
    }
}

void CallLogTable::AppendNumbered(const CallLogRow& row) {
    rows_.push_back(row);
    Count(row);
}

std::size_t CallLogTable::DeleteIf(const std::function<bool(const CallLogRow&)>& pass) {
    const auto end = std::remove_if(rows_.begin(), rows_.end(), pass);
    const auto removed = static_cast<std::size_t>(rows_.end() - end);
    rows_.erase(end, rows_.end());
    return removed;
}

void CallLogTable::Reset() {
    rows_.clear();
    rows_.shrink_to_fit();
    nextN_ = 0;
}

}  // namespace tulvo
