#pragma once

#include <QColor>
#include <QSize>
#include <QString>
#include <QStyleOptionViewItem>

class QPainter;

namespace tulvo {

// How the program's string grids draw a cell: a filled background, then
// either one line of text or the system's check-box frame, centred and
// ticked when the cell's text is "1".
class GridCellPainter {
  public:
    // Rows alternate between pale green and cream, odd rows green.
    static QColor RowColour(int row);
    // The whole cell: `background` (the highlight when selected), then the
    // cell's text, or a check box when `checkBox`.
    static void Paint(QPainter* painter, const QStyleOptionViewItem& option, const QString& text,
                      const QColor& background, bool checkBox);
    static void Fill(QPainter* painter, const QStyleOptionViewItem& option, const QColor& brush);
    static void Text(QPainter* painter, const QStyleOptionViewItem& option, const QString& text,
                     const QColor& pen);
    static void CheckBox(QPainter* painter, const QStyleOptionViewItem& option, bool checked);
    // A row one text line high with a little room.
    static QSize RowSize(const QStyleOptionViewItem& option, QSize hint);
};

}  // namespace tulvo
