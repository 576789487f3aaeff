#include "ui/grid_cell_painter.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace tulvo {

QColor GridCellPainter::RowColour(int row) {
    return row % 2 == 1 ? QColor(192, 220, 192) : QColor(255, 251, 240);
}

void GridCellPainter::Paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QString& text, const QColor& background, bool checkBox) {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor brush = selected ? option.palette.highlight().color() : background;
    const QColor pen =
        selected ? option.palette.highlightedText().color() : option.palette.text().color();
    painter->save();
    Fill(painter, option, brush);
    if (checkBox) {
        CheckBox(painter, option, text == QLatin1String("1"));
    } else {
        Text(painter, option, text, pen);
    }
    painter->restore();
}

void GridCellPainter::Fill(QPainter* painter, const QStyleOptionViewItem& option,
                           const QColor& brush) {
    painter->fillRect(option.rect, brush);
}

void GridCellPainter::Text(QPainter* painter, const QStyleOptionViewItem& option,
                           const QString& text, const QColor& pen) {
    painter->setPen(pen);
    painter->setFont(option.font);
    const QRect textRect = option.rect.adjusted(2, 2, -1, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
}

void GridCellPainter::CheckBox(QPainter* painter, const QStyleOptionViewItem& option,
                               bool checked) {
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    QStyleOptionButton box;
    box.state = QStyle::State_Enabled | (checked ? QStyle::State_On : QStyle::State_Off);
    const QSize indicator(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget),
                          style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget));
    box.rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, indicator, option.rect);
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

QSize GridCellPainter::RowSize(const QStyleOptionViewItem& option, QSize hint) {
    hint.setHeight(option.fontMetrics.height() + 6);
    return hint;
}

}  // namespace tulvo
