#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace tulvo {

class TData;

// The cells of one grid of the black/white list dialog: a row for each entry
// 1 to 186 in use that belongs to this grid's list, in entry order. Columns:
// number, prefix, groups 1 to 8 and the four call directions, the last
// twelve as "1" or "0". The title row is the horizontal header; Cell(col, 0)
// gives the titles so data rows are numbered from 1.
class BlackListGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumns = 14;
    static constexpr int kFirstBox = 2;  // columns from here on are check boxes

    // listBit: FLAG bit 0 for the black list, bit 1 for the white list.
    explicit BlackListGridModel(std::uint8_t listBit, QObject* parent = nullptr);

    void Rebuild(const TData& image);
    // Row 0 is the title row, rows 1 and up the entries.
    QString Cell(int column, int row) const;
    // Entry number shown in a data row (0-based), or 0 for no such row.
    int EntryAt(int dataRow) const;
    // Data row (0-based) showing an entry, or -1.
    int RowOf(int entry) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    struct Row {
        int entry;
        std::array<QString, kColumns> cells;
    };

    std::uint8_t listBit_;
    std::vector<Row> rows_;
};

}  // namespace tulvo
