#include "dialogs/black_list_grid_delegate.h"

#include <QPainter>

#include "dialogs/black_list_grid_model.h"

#include "grid_cell_painter.h"

namespace tulvo {

QColor BlackListGridDelegate::RowColour(int row) {
    return GridCellPainter::RowColour(row);
}

void BlackListGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QColor brush = RowColour(index.row() + 1);
    QColor pen = option.palette.text().color();
    if (option.state & QStyle::State_Selected) {
        brush = option.palette.highlight().color();
        pen = option.palette.highlightedText().color();
    }
    painter->save();
    GridCellPainter::Fill(painter, option, brush);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (index.column() < BlackListGridModel::kFirstBox) {
        GridCellPainter::Text(painter, option, text, pen);
    } else {
        GridCellPainter::CheckBox(painter, option, text == QLatin1String("1"));
    }
    painter->restore();
}

QSize BlackListGridDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    return GridCellPainter::RowSize(option, QStyledItemDelegate::sizeHint(option, index));
}

}  // namespace tulvo
