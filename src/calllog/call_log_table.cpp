#include "calllog/call_log_table.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace tulvo {
namespace {

// The rows of a file, found by their content; each row can be taken once.
class RowIndex {
  public:
    explicit RowIndex(std::span<const CallLogRow> rows) : rows_(rows) {
        index_.reserve(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            index_.emplace(rows[i].Hash(), i);
        }
    }

    std::optional<std::size_t> Take(const CallLogRow& row) {
        auto [it, end] = index_.equal_range(row.Hash());
        for (; it != end; ++it) {
            if (rows_[it->second] == row) {
                const std::size_t found = it->second;
                index_.erase(it);
                return found;
            }
        }
        return std::nullopt;
    }

  private:
    std::span<const CallLogRow> rows_;
    std::unordered_multimap<std::size_t, std::size_t> index_;
};

std::int32_t LargestN(std::span<const CallLogRow> rows) {
    std::int32_t largest = -1;
    for (const CallLogRow& row : rows) {
        largest = std::max(largest, row.Int(CallLogField::N).value_or(-1));
    }
    return largest;
}

}  // namespace

void CallLogTable::Count(const CallLogRow& row) {
    const auto n = row.Int(CallLogField::N);
    if (n && *n >= nextN_) {
        nextN_ = *n + 1;
    }
}

std::size_t CallLogTable::Append(CallLogRow row) {
    row.SetInt(CallLogField::N, nextN_++);
    rows_.push_back(row);
    origin_.push_back(kNew);
    return rows_.size() - 1;
}

void CallLogTable::AppendNumbered(std::span<const CallLogRow> rows) {
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    origin_.insert(origin_.end(), rows.size(), kNew);
    for (const CallLogRow& row : rows) {
        Count(row);
    }
}

void CallLogTable::AppendNumbered(const CallLogRow& row) {
    rows_.push_back(row);
    origin_.push_back(kNew);
    Count(row);
}

void CallLogTable::Reserve(std::size_t count) {
    rows_.reserve(count);
    origin_.reserve(count);
}

void CallLogTable::SetRow(std::size_t index, const CallLogRow& row) {
    if (origin_[index] == kSynced) {
        origin_[index] = kEdited + static_cast<std::uint32_t>(originals_.size());
        originals_.push_back(rows_[index]);
    }
    rows_[index] = row;
    Count(row);
}

std::size_t CallLogTable::DeleteIf(const std::function<bool(const CallLogRow&)>& pass) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!pass(rows_[i])) {
            rows_[kept] = rows_[i];
            origin_[kept] = origin_[i];
            ++kept;
            continue;
        }
        if (origin_[i] == kSynced) {
            removed_.push_back(rows_[i]);
        } else if (origin_[i] >= kEdited) {
            removed_.push_back(originals_[origin_[i] - kEdited]);
        }
    }
    const std::size_t removed = rows_.size() - kept;
    rows_.resize(kept);
    origin_.resize(kept);
    return removed;
}

void CallLogTable::Reset() {
    rows_.clear();
    rows_.shrink_to_fit();
    origin_.clear();
    origin_.shrink_to_fit();
    originals_.clear();
    removed_.clear();
    nextN_ = 0;
    syncMark_ = 0;
}

bool CallLogTable::HasChanges() const {
    return !removed_.empty() ||
           std::any_of(origin_.begin(), origin_.end(), [](auto o) { return o != kSynced; });
}

void CallLogTable::MarkSynced() {
    std::fill(origin_.begin(), origin_.end(), kSynced);
    originals_.clear();
    removed_.clear();
}

std::vector<CallLogRow> CallLogTable::ReleaseRows() {
    std::vector<CallLogRow> rows = std::move(rows_);
    Reset();
    return rows;
}

void CallLogTable::RebaseOnto(std::vector<CallLogRow> file) {
    RowIndex index(file);
    std::vector<std::uint32_t> origin(file.size(), kSynced);
    std::vector<bool> gone(file.size(), false);
    std::vector<CallLogRow> removed;
    for (const CallLogRow& row : removed_) {
        if (const auto found = index.Take(row)) {
            gone[*found] = true;
            removed.push_back(row);
        }
    }
    // Edits land on the file's rows; what stays in rows_ (compacted in place,
    // so a big new table is not copied) is appended after them.
    std::vector<CallLogRow> originals;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (origin_[i] == kSynced) {
            continue;
        }
        if (origin_[i] >= kEdited) {
            const CallLogRow& original = originals_[origin_[i] - kEdited];
            if (const auto found = index.Take(original)) {
                file[*found] = rows_[i];
                origin[*found] = kEdited + static_cast<std::uint32_t>(originals.size());
                originals.push_back(original);
                continue;
            }
        }
        if (kept != i) {
            rows_[kept] = rows_[i];  // new, or an edit of a row the file lost
        }
        ++kept;
    }
    rows_.resize(kept);
    std::int32_t next = LargestN(file) + 1;
    for (CallLogRow& row : rows_) {
        const std::int32_t n = row.Int(CallLogField::N).value_or(-1);
        if (n < next) {
            row.SetInt(CallLogField::N, next);
        }
        next = std::max(next, n) + 1;
    }
    if (!file.empty()) {
        std::size_t left = 0;
        for (std::size_t i = 0; i < file.size(); ++i) {
            if (!gone[i]) {
                file[left] = file[i];
                origin[left] = origin[i];
                ++left;
            }
        }
        file.resize(left);
        origin.resize(left);
        file.insert(file.end(), rows_.begin(), rows_.end());
        rows_ = std::move(file);
    }
    origin.resize(rows_.size(), kNew);
    origin_ = std::move(origin);
    originals_ = std::move(originals);
    removed_ = std::move(removed);
    nextN_ = std::max(nextN_, next);
}

}  // namespace tulvo
