#pragma once

#include <QStyledItemDelegate>

namespace tulvo {

// Paints the cells of StringGrid1: alternating row colours, the system's
// highlight for selected cells, text 2 pixels in from the top-left corner,
// and the "Вкл" column as a check box instead of its "0"/"1" text.
class SubscriberGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QColor RowColour(int row);  // row 1..300

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    void StringGrid1DrawCell(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const;
};

}  // namespace tulvo
