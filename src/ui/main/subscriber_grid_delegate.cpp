#include "main/subscriber_grid_delegate.h"

#include <QPainter>

#include "main/subscriber_grid_model.h"

#include "grid_cell_painter.h"

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
    const int row = index.row() + 1;
    QColor brush =
        column == SubscriberGridModel::kNumber ? option.palette.button().color() : RowColour(row);
    QColor pen = option.palette.text().color();
    if (option.state & QStyle::State_Selected) {
        brush = option.palette.highlight().color();
        pen = option.palette.highlightedText().color();
    }
    painter->save();
    GridCellPainter::Fill(painter, option, brush);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (column != SubscriberGridModel::kActive) {
        GridCellPainter::Text(painter, option, text, pen);
    } else {
        GridCellPainter::CheckBox(painter, option, text == QLatin1String("1"));
    }
    painter->restore();
}

QSize SubscriberGridDelegate::sizeHint(const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    return GridCellPainter::RowSize(option, QStyledItemDelegate::sizeHint(option, index));
}

}  // namespace tulvo
