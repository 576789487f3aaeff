#include "ui/dialogs/black_list_grid_delegate.h"

#include <QPainter>

#include "ui/dialogs/black_list_grid_model.h"

#include "ui/grid_cell_painter.h"

namespace tulvo {

QColor BlackListGridDelegate::RowColour(int row) {
    return GridCellPainter::RowColour(row);
}

void BlackListGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    GridCellPainter::Paint(painter, option, index.data(Qt::DisplayRole).toString(),
                           RowColour(index.row() + 1),
                           index.column() >= BlackListGridModel::kFirstBox);
}

QSize BlackListGridDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    return GridCellPainter::RowSize(option, QStyledItemDelegate::sizeHint(option, index));
}

}  // namespace tulvo
