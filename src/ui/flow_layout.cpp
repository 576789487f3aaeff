#include "ui/flow_layout.h"

#include <QWidget>
#include <algorithm>
#include <vector>

namespace tulvo {
namespace {

bool Stretches(QLayoutItem* item) {
    return item->spacerItem() != nullptr && (item->expandingDirections() & Qt::Horizontal) != 0;
}

}  // namespace

FlowLayout::FlowLayout(QWidget* parent) : QLayout(parent) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

FlowLayout* FlowLayout::Replace(QWidget& owner) {
    auto* box = qobject_cast<QBoxLayout*>(owner.layout());
    if (box == nullptr) {
        return nullptr;
    }
    auto* flow = new FlowLayout;
    flow->setSpacing(box->spacing());
    flow->setContentsMargins(box->contentsMargins());
    while (QLayoutItem* item = box->takeAt(0)) {
        flow->addItem(item);
    }
    delete box;
    owner.setLayout(flow);
    return flow;
}

void FlowLayout::addItem(QLayoutItem* item) {
    items_.append(item);
}

int FlowLayout::count() const {
    return static_cast<int>(items_.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const {
    return Qt::Horizontal;
}

bool FlowLayout::hasHeightForWidth() const {
    return true;
}

int FlowLayout::heightForWidth(int width) const {
    return Arrange(QRect(0, 0, width, 0), false);
}

// As narrow as its widest item.
QSize FlowLayout::minimumSize() const {
    QSize size;
    for (QLayoutItem* item : items_) {
        if (!Stretches(item)) {
            size = size.expandedTo(item->minimumSize());
        }
    }
    const QMargins m = contentsMargins();
    return size.grownBy(m);
}

// Everything in one row.
QSize FlowLayout::sizeHint() const {
    int width = 0;
    int height = 0;
    const QLayoutItem* previous = nullptr;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty() && item->spacerItem() == nullptr) {
            continue;
        }
        width += GapBefore(previous, item) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
        previous = item;
    }
    return QSize(width, height).grownBy(contentsMargins());
}

// As a box layout does, no spacing next to a spacer.
int FlowLayout::GapBefore(const QLayoutItem* previous, QLayoutItem* item) const {
    if (previous == nullptr || item->spacerItem() != nullptr ||
        const_cast<QLayoutItem*>(previous)->spacerItem() != nullptr) {
        return 0;
    }
    return spacing();
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int FlowLayout::Arrange(const QRect& rect, bool apply) const {
    const QRect area = rect.marginsRemoved(contentsMargins());
    std::vector<std::vector<QLayoutItem*>> rows(1);
    int x = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty() && item->spacerItem() == nullptr) {
            continue;
        }
        const int width = Stretches(item) ? 0 : item->sizeHint().width();
        const QLayoutItem* previous = rows.back().empty() ? nullptr : rows.back().back();
        if (previous != nullptr && x + GapBefore(previous, item) + width > area.width()) {
            rows.emplace_back();
            x = 0;
            previous = nullptr;
        }
        x += GapBefore(previous, item) + width;
        rows.back().push_back(item);
    }
    int y = area.top();
    for (const auto& row : rows) {
        y += PlaceRow(row, area, y, apply) + spacing();
    }
    return std::max(0, y - spacing() - area.top()) + contentsMargins().top() +
           contentsMargins().bottom();
}

// One row at height y; an expanding spacer takes the room the others leave.
// Returns the row's height.
int FlowLayout::PlaceRow(const std::vector<QLayoutItem*>& row, const QRect& area, int y,
                         bool apply) const {
    int used = 0;
    int height = 0;
    int stretches = 0;
    const QLayoutItem* previous = nullptr;
    for (QLayoutItem* item : row) {
        used += GapBefore(previous, item) + (Stretches(item) ? 0 : item->sizeHint().width());
        height = std::max(height, item->sizeHint().height());
        stretches += Stretches(item) ? 1 : 0;
        previous = item;
    }
    const int spare = std::max(0, area.width() - used);
    int left = area.left();
    previous = nullptr;
    for (QLayoutItem* item : row) {
        left += GapBefore(previous, item);
        const int width =
            Stretches(item) ? spare / std::max(1, stretches) : item->sizeHint().width();
        if (apply) {
            item->setGeometry(QRect(left, y, width, height));
        }
        left += width;
        previous = item;
    }
    return height;
}

}  // namespace tulvo
