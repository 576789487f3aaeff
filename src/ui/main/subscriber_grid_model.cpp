#include "ui/main/subscriber_grid_model.h"

#include "model/t_data.h"
#include "ui/cp1251_text.h"

namespace tulvo {

namespace {

const char* const kTitles[SubscriberGridModel::kColumns] = {
    "№", "Вкл", "ФИО абонента", "Тел.номер вход", "Группа", "ID-код"};

}  // namespace

SubscriberGridModel::SubscriberGridModel(QObject* parent) : QAbstractTableModel(parent) {
    for (int n = 1; n <= kRows; ++n) {
        cells_[n - 1][kNumber] = QString::number(n);
        cells_[n - 1][kActive] = QStringLiteral("0");
    }
}

void SubscriberGridModel::FillRow(const TData& image, int n) {
    auto& row = cells_[n - 1];
    const ConstAbInfoRecord info = image.AbInfo(n);
    row[kNumber] = QString::number(n);
    row[kActive] = info.Activation() ? QStringLiteral("1") : QStringLiteral("0");
    if (info.Empty()) {
        for (int c = kName; c < kColumns; ++c) {
            row[c].clear();
        }
        return;
    }
    row[kName] = FromCp1251(image.Name(n).AbFNS);
    row[kPhone] = FromCp1251(image.AbPhone(n).Numbers());
    row[kGroup] = QString::number(info.GroupNumber());
    row[kId] = QStringLiteral("%1").arg(info.ID(), 8, 16, QLatin1Char('0')).toUpper();
}

void SubscriberGridModel::FillGrid(const TData& image) {
    for (int n = 1; n <= kRows; ++n) {
        FillRow(image, n);
    }
    emit dataChanged(index(0, 0), index(kRows - 1, kColumns - 1), {Qt::DisplayRole});
}

QString SubscriberGridModel::Cell(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 0 || row > kRows) {
        return {};
    }
    return row == 0 ? QString::fromUtf8(kTitles[column]) : cells_[row - 1][column];
}

int SubscriberGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kRows;
}

int SubscriberGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant SubscriberGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole) {
        return {};
    }
    return cells_[index.row()][index.column()];
}

QVariant SubscriberGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumns) {
        return {};
    }
    return QString::fromUtf8(kTitles[section]);
}

Qt::ItemFlags SubscriberGridModel::flags(const QModelIndex& index) const {
    // The number column is fixed: it cannot be selected and shows no focus.
    if (index.column() == kNumber) {
        return Qt::ItemIsEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace tulvo
