#pragma once

#include <QTableView>

namespace tulvo {

class SubscriberGridModel;

// StringGrid1: the table of subscriber slots. Besides moving its current
// row it tells the editor which slot to follow: a left click anywhere (also
// on the title row or the number column, which do not move the row), a drag
// or a key that moves the row, or a wheel step, which moves the row by one.
class SubscriberGridView : public QTableView {
    Q_OBJECT
  public:
    explicit SubscriberGridView(QWidget* parent = nullptr);

    // Installs the model and the cell painter, sizes the columns.
    void Attach(SubscriberGridModel* model);

    // The current row as a slot number, 1 to 300.
    int CurrentRow() const;
    void SetCurrentRow(int n);
    void ScrollRowToTop(int n);
    // The tallest height up to `available` that shows whole rows only, so
    // the top row is never cut when the grid is scrolled to its end.
    int WholeRowsHeight(int available) const;

  signals:
    // The editor should show slot n.
    void RowFollowed(int n);
    // StringGrid1DblClick.
    void GridDoubleClicked();

  protected:
    // Keys never move the current cell into the number column, which cannot
    // be selected: the current row would lose its highlight.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tulvo
