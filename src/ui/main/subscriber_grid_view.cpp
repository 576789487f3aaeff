#include "ui/main/subscriber_grid_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "ui/main/subscriber_grid_delegate.h"
#include "ui/main/subscriber_grid_model.h"

namespace tulvo {

SubscriberGridView::SubscriberGridView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->viewport()->installEventFilter(this);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void SubscriberGridView::Attach(SubscriberGridModel* model) {
    setModel(model);
    setItemDelegate(new SubscriberGridDelegate(this));
    const int rowHeight = fontMetrics().height() + 6;
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    const int widths[SubscriberGridModel::kColumns] = {36, 34, 190, 170, 54, 84};
    for (int c = 0; c < SubscriberGridModel::kColumns; ++c) {
        setColumnWidth(c, widths[c]);
    }
    horizontalHeader()->setStretchLastSection(true);
    SetCurrentRow(1);
}

int SubscriberGridView::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

void SubscriberGridView::SetCurrentRow(int n) {
    if (model() == nullptr || n < 1 || n > model()->rowCount()) {
        return;
    }
    const int column = std::max(currentIndex().column(), int{SubscriberGridModel::kActive});
    setCurrentIndex(model()->index(n - 1, column));
}

void SubscriberGridView::ScrollRowToTop(int n) {
    if (model() != nullptr && n >= 1 && n <= model()->rowCount()) {
        scrollTo(model()->index(n - 1, currentIndex().column()), QAbstractItemView::PositionAtTop);
    }
}

int SubscriberGridView::WholeRowsHeight(int available) const {
    const QHeaderView* header = horizontalHeader();
    const int titleHeight =
        qBound(header->minimumHeight(), header->sizeHint().height(), header->maximumHeight());
    const int chrome = 2 * frameWidth() + (header->isHidden() ? 0 : titleHeight);
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    const int rows = std::max(1, (available - chrome) / rowHeight);
    return std::min(available, chrome + rows * rowHeight);
}

QModelIndex SubscriberGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (next.isValid() && next.column() == SubscriberGridModel::kNumber) {
        return next.sibling(next.row(), SubscriberGridModel::kActive);
    }
    return next;
}

void SubscriberGridView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    // The number column is fixed: a click there keeps the current row.
    const QModelIndex hit = indexAt(event->position().toPoint());
    if (hit.isValid() && hit.column() != SubscriberGridModel::kNumber) {
        QTableView::mousePressEvent(event);
    } else {
        event->accept();
    }
    emit RowFollowed(CurrentRow());
}

// Dragging with the button held moves the current row too; the editor
// follows it, or "Ок" would store the slot it shows into another row.
void SubscriberGridView::mouseMoveEvent(QMouseEvent* event) {
    const int before = CurrentRow();
    QTableView::mouseMoveEvent(event);
    const int after = CurrentRow();
    if (after != before) {
        emit RowFollowed(after);
    }
}

void SubscriberGridView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        emit GridDoubleClicked();
    }
}

void SubscriberGridView::keyPressEvent(QKeyEvent* event) {
    const int before = CurrentRow();
    QTableView::keyPressEvent(event);
    const int after = CurrentRow();
    if (after != before) {
        emit RowFollowed(after);
    }
}

void SubscriberGridView::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        return;
    }
    const int n = CurrentRow() + (delta < 0 ? 1 : -1);
    if (n < 1 || n > SubscriberGridModel::kRows) {
        return;
    }
    SetCurrentRow(n);
    emit RowFollowed(n);
}

bool SubscriberGridView::eventFilter(QObject* watched, QEvent* event) {
    // A left click on the title row reloads the current slot without moving.
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit RowFollowed(CurrentRow());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace tulvo
