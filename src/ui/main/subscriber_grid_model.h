#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>

namespace tulvo {

class TData;

// The cells of StringGrid1: one row per subscriber slot, six columns. The
// title row is the horizontal header; Cell(col, 0) gives the titles so rows
// keep the slot numbers 1 to 300.
class SubscriberGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumns = 6;
    static constexpr int kRows = 300;
    enum Column { kNumber = 0, kActive = 1, kName = 2, kPhone = 3, kGroup = 4, kId = 5 };

    explicit SubscriberGridModel(QObject* parent = nullptr);

    // Rebuilds every row from the image.
    void FillGrid(const TData& image);
    // Row 0 is the title row, rows 1 to 300 the slots.
    QString Cell(int column, int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    void FillRow(const TData& image, int n);

    std::array<std::array<QString, kColumns>, kRows> cells_;
};

}  // namespace tulvo
