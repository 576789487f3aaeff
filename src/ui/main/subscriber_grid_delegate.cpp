#include "ui/main/subscriber_grid_delegate.h"

#include <QPainter>

#include "ui/main/subscriber_grid_model.h"

#include "ui/grid_cell_painter.h"

namespace tulvo {

QColor SubscriberGridDelegate::RowColour(int row) {
    return GridCellPainter::RowColour(row);
}

void SubscriberGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    StringGrid1DrawCell(painter, option, index);
}

void SubscriberGridDelegate::StringGrid1DrawCell(QPainter* painter,
                                                 const QStyleOptionViewItem& option,
                                                 const QModelIndex& index) const {
    const int column = index.column();
    const QColor background = column == SubscriberGridModel::kNumber
                                  ? option.palette.button().color()
                                  : RowColour(index.row() + 1);
    GridCellPainter::Paint(painter, option, index.data(Qt::DisplayRole).toString(), background,
                           column == SubscriberGridModel::kActive);
}

QSize SubscriberGridDelegate::sizeHint(const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    return GridCellPainter::RowSize(option, QStyledItemDelegate::sizeHint(option, index));
}

}  // namespace tulvo
