#include "ui/dialogs/black_list_grid_model.h"

#include "model/t_data.h"
#include "ui/cp1251_text.h"

namespace tulvo {

namespace {

constexpr std::array<const char*, BlackListGridModel::kColumns> kTitles{
    "№", "Маска тел-на", "1",         "2",        "3",       "4", "5", "6", "7",
    "8", "GSM->FXO",     "GSM->CONF", "FXO->GSM", "FXS->GSM"};
constexpr int kGroups = 8;
constexpr int kDirections = 4;
constexpr int kFirstDirectionBit = 2;
// The dialog's entries: element 0 belongs to the gateway and the file only.
constexpr int kFirstEntry = 1;

QString Bit(unsigned value, int bit) {
    return ((value >> bit) & 1U) != 0 ? QStringLiteral("1") : QStringLiteral("0");
}

}  // namespace

BlackListGridModel::BlackListGridModel(std::uint8_t listBit, QObject* parent)
    : QAbstractTableModel(parent), listBit_(listBit) {}

void BlackListGridModel::Rebuild(const TData& image) {
    beginResetModel();
    rows_.clear();
    for (int i = kFirstEntry; i < TData::kBlackListEntries; ++i) {
        const ConstBlackListRecord entry = image.BlackListEntry(i);
        if (entry.Empty() || (entry.FLAG() & listBit_) == 0) {
            continue;
        }
        Row row{i, {}};
        row.cells[0] = QString::number(i);
        row.cells[1] = FromCp1251(entry.NUM());
        for (int g = 0; g < kGroups; ++g) {
            row.cells[static_cast<std::size_t>(kFirstBox + g)] = Bit(entry.GM(), g);
        }
        for (int d = 0; d < kDirections; ++d) {
            row.cells[static_cast<std::size_t>(kFirstBox + kGroups + d)] =
                Bit(entry.FLAG(), kFirstDirectionBit + d);
        }
        rows_.push_back(std::move(row));
    }
    endResetModel();
}

QString BlackListGridModel::Cell(int column, int row) const {
    if (column < 0 || column >= kColumns) {
        return {};
    }
    if (row == 0) {
        return QString::fromUtf8(kTitles[static_cast<std::size_t>(column)]);
    }
    if (row < 1 || row > static_cast<int>(rows_.size())) {
        return {};
    }
    return rows_[static_cast<std::size_t>(row - 1)].cells[static_cast<std::size_t>(column)];
}

int BlackListGridModel::EntryAt(int dataRow) const {
    if (dataRow < 0 || dataRow >= static_cast<int>(rows_.size())) {
        return 0;
    }
    return rows_[static_cast<std::size_t>(dataRow)].entry;
}

int BlackListGridModel::RowOf(int entry) const {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].entry == entry) {
            return static_cast<int>(r);
        }
    }
    return -1;
}

int BlackListGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BlackListGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant BlackListGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    return Cell(index.column(), index.row() + 1);
}

QVariant BlackListGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    return Cell(section, 0);
}

Qt::ItemFlags BlackListGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace tulvo
