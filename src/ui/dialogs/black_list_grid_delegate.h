#pragma once

#include <QStyledItemDelegate>

namespace tulvo {

// Paints the cells of the black/white list grids: alternating row colours
// (light green on odd rows, cream on even ones), the system's highlight for
// the selected cell, the number and prefix as text and the other columns as
// ticked or unticked check boxes.
class BlackListGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QColor RowColour(int row);  // data rows from 1

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace tulvo
