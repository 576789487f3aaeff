#include "dialogs/black_list_grid_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#include "dialogs/black_list_grid_model.h"

namespace tulvo {

QColor BlackListGridDelegate::RowColour(int row) {
    return row % 2 == 1 ? QColor(192, 220, 192) : QColor(255, 251, 240);
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
    painter->fillRect(option.rect, brush);
    const QString text = index.data(Qt::DisplayRole).toString();
    if (index.column() < BlackListGridModel::kFirstBox) {
        painter->setPen(pen);
        painter->setFont(option.font);
        const QRect textRect = option.rect.adjusted(2, 2, -1, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    } else {
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        QStyleOptionButton box;
        box.state = QStyle::State_Enabled |
                    (text == QLatin1String("1") ? QStyle::State_On : QStyle::State_Off);
        const QSize indicator(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget),
                              style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget));
        box.rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, indicator, option.rect);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
    }
    painter->restore();
}

QSize BlackListGridDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(option.fontMetrics.height() + 6);
    return size;
}

}  // namespace tulvo
