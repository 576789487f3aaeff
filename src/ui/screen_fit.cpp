#include "ui/screen_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace tulvo {
namespace {

constexpr const char* kScrolledProperty = "tulvoScrolledContent";

bool Fits(QSize size, QSize room) {
    return size.width() <= room.width() && size.height() <= room.height();
}

bool IsFixed(const QWidget& window) {
    const QLayout* layout = window.layout();
    return window.minimumSize() == window.maximumSize() ||
           (layout != nullptr && layout->sizeConstraint() == QLayout::SetFixedSize);
}

// The size a window comes up with as designed.
QSize DesignedSize(const QWidget& window) {
    if (window.minimumSize() == window.maximumSize()) {
        return window.minimumSize();
    }
    return window.sizeHint().expandedTo(window.minimumSize());
}

// Room for the scroll bars of the direction that is cut.
QSize WithScrollBars(const QWidget& window, QSize size, QSize room) {
    const int bar = window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &window);
    QSize result = size;
    if (size.height() > room.height()) {
        result.rwidth() += bar;
    }
    if (size.width() > room.width()) {
        result.rheight() += bar;
    }
    return result.boundedTo(room);
}

QLayout* TakeGridItems(QGridLayout* from) {
    auto* to = new QGridLayout;
    to->setHorizontalSpacing(from->horizontalSpacing());
    to->setVerticalSpacing(from->verticalSpacing());
    for (int row = 0; row < from->rowCount(); ++row) {
        to->setRowStretch(row, from->rowStretch(row));
        to->setRowMinimumHeight(row, from->rowMinimumHeight(row));
    }
    for (int column = 0; column < from->columnCount(); ++column) {
        to->setColumnStretch(column, from->columnStretch(column));
        to->setColumnMinimumWidth(column, from->columnMinimumWidth(column));
    }
    while (from->count() > 0) {
        int row = 0;
        int column = 0;
        int rowSpan = 0;
        int columnSpan = 0;
        from->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
        QLayoutItem* item = from->takeAt(0);
        if (QLayout* sub = item->layout()) {
            sub->setParent(nullptr);
            to->addLayout(sub, row, column, rowSpan, columnSpan, sub->alignment());
        } else {
            to->addItem(item, row, column, rowSpan, columnSpan, item->alignment());
        }
    }
    return to;
}

QLayout* TakeBoxItems(QBoxLayout* from) {
    auto* to = new QBoxLayout(from->direction());
    to->setSpacing(from->spacing());
    while (from->count() > 0) {
        const int stretch = from->stretch(0);
        QLayoutItem* item = from->takeAt(0);
        if (QLayout* sub = item->layout()) {
            sub->setParent(nullptr);
            to->addLayout(sub, stretch);
        } else {
            to->addItem(item);
            to->setStretch(to->count() - 1, stretch);
        }
    }
    return to;
}

// A new layout of the same kind holding every item of `from`, which is left
// empty; nothing for kinds it does not know.
QLayout* TakeItems(QLayout* from) {
    QLayout* to = nullptr;
    if (auto* grid = qobject_cast<QGridLayout*>(from)) {
        to = TakeGridItems(grid);
    } else if (auto* box = qobject_cast<QBoxLayout*>(from)) {
        to = TakeBoxItems(box);
    }
    if (to != nullptr) {
        to->setContentsMargins(from->contentsMargins());
    }
    return to;
}

// A window that places its controls itself: they move onto a content
// widget as large as the window, where they keep their places.
void MoveChildren(QWidget& window, QWidget& content) {
    content.setMinimumSize(window.size());
    for (QObject* object : window.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child == nullptr || child->isWindow()) {
            continue;
        }
        const bool hidden = child->testAttribute(Qt::WA_WState_Hidden) &&
                            child->testAttribute(Qt::WA_WState_ExplicitShowHide);
        const QRect geometry = child->geometry();
        child->setParent(&content);
        child->setGeometry(geometry);
        if (hidden) {
            child->hide();
        } else {
            child->show();
        }
    }
}

// A dialog's row of buttons ("ОК", "Отмена") at the bottom of its layout:
// taken out, so it stays in view below the scrolled content. Nothing when
// the last row holds no push button.
QLayout* TakeButtonRow(QLayout* outer) {
    auto* box = qobject_cast<QBoxLayout*>(outer);
    if (box == nullptr || box->direction() != QBoxLayout::TopToBottom || box->count() < 2) {
        return nullptr;
    }
    QLayout* row = box->itemAt(box->count() - 1)->layout();
    if (row == nullptr) {
        return nullptr;
    }
    bool hasButton = false;
    for (int i = 0; i < row->count(); ++i) {
        const QWidget* widget = row->itemAt(i)->widget();
        const auto* button = qobject_cast<const QAbstractButton*>(widget);
        hasButton = hasButton || (button != nullptr && !button->isCheckable());
    }
    if (!hasButton) {
        return nullptr;
    }
    box->takeAt(box->count() - 1);
    row->setParent(nullptr);
    return row;
}

}  // namespace

ScreenFit::ScreenFit(QObject* parent) : QObject(parent) {}

void ScreenFit::Install() {
    qApp->installEventFilter(new ScreenFit(qApp));
}

QSize ScreenFit::RoomFor(const QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    }
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    // Before the first show the frame is not known yet.
    const QMargins margins =
        frame == inner ? kFrameAllowance
                       : QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                                  frame.right() - inner.right(), frame.bottom() - inner.bottom());
    return screen->availableGeometry().marginsRemoved(margins).size();
}

QRect ScreenFit::PlaceWithin(QRect frame, const QRect& area) {
    frame.moveCenter(area.center());
    // Right and bottom first, so a window larger than the area keeps its
    // title bar and menu on the screen.
    frame.moveLeft(std::min(frame.left(), area.right() + 1 - frame.width()));
    frame.moveTop(std::min(frame.top(), area.bottom() + 1 - frame.height()));
    frame.moveLeft(std::max(frame.left(), area.left()));
    frame.moveTop(std::max(frame.top(), area.top()));
    return frame;
}

void ScreenFit::FixSize(QWidget& window, QSize designed) {
    const QSize room = RoomFor(window);
    const bool scrolls =
        Fits(designed, room) ? window.property(kScrolledProperty).toBool() : ScrollContent(window);
    window.setFixedSize(scrolls ? WithScrollBars(window, designed, room) : designed);
    // Controls placed by hand need the designed room on the content.
    if (auto* content = window.findChild<QWidget*>(QStringLiteral("ScrolledContent"));
        content != nullptr && content->layout() == nullptr) {
        content->setMinimumSize(designed);
        content->resize(content->size().expandedTo(designed));
    }
}

bool ScreenFit::ScrollContent(QWidget& window) {
    if (window.property(kScrolledProperty).toBool()) {
        return true;
    }
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("ScrolledContent"));
    QLayout* buttons = nullptr;
    QMargins margins;
    if (QLayout* outer = window.layout()) {
        margins = outer->contentsMargins();
        buttons = TakeButtonRow(outer);
        QLayout* inner = TakeItems(outer);
        if (inner == nullptr) {
            delete buttons;
            delete content;
            return false;
        }
        delete outer;
        content->setLayout(inner);
    } else {
        MoveChildren(window, *content);
    }
    auto* scroll = new QScrollArea;
    scroll->setObjectName(QStringLiteral("ScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* top = new QVBoxLayout(&window);
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(scroll);
    if (buttons != nullptr) {
        buttons->setContentsMargins(margins.left(), margins.top(), margins.right(),
                                    margins.bottom());
        top->addLayout(buttons);
    }
    window.setProperty(kScrolledProperty, true);
    return true;
}

bool ScreenFit::Handles(const QObject* object) {
    // Message boxes size themselves to their text; the main window fits
    // itself.
    return object->isWidgetType() && qobject_cast<const QDialog*>(object) != nullptr &&
           qobject_cast<const QMessageBox*>(object) == nullptr &&
           static_cast<const QWidget*>(object)->isWindow();
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Polish || type == QEvent::Show || type == QEvent::Resize) &&
        Handles(watched)) {
        auto& window = *static_cast<QWidget*>(watched);
        if (type == QEvent::Polish) {
            FitOnPolish(window);
        } else if (type == QEvent::Show && !event->spontaneous()) {
            FitOnShow(window);
        } else if (type == QEvent::Resize && window.isVisible() &&
                   !Fits(window.size(), RoomFor(window))) {
            // Grown past the screen by its own controls (a panel shown):
            // fitted again once the resize is over.
            QTimer::singleShot(0, &window, [&window] { FitGrown(window); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void ScreenFit::FitGrown(QWidget& window) {
    const QSize room = RoomFor(window);
    if (Fits(window.size(), room) || !ScrollContent(window)) {
        return;
    }
    const QSize size = WithScrollBars(window, window.size(), room);
    if (window.minimumSize() == window.maximumSize()) {
        window.setFixedSize(size);
    } else {
        window.setMinimumSize(0, 0);
        window.resize(size);
    }
    FitOnShow(window);
}

// Polished once, before the first show: a window too large for its screen
// gets its scroll area while its controls are not on screen yet.
void ScreenFit::FitOnPolish(QWidget& window) {
    const QSize room = RoomFor(window);
    const QSize designed = DesignedSize(window);
    if (Fits(designed, room)) {
        return;
    }
    const bool fixed = IsFixed(window);
    if (!fixed && Fits(window.minimumSizeHint(), room)) {
        return;  // it can shrink; FitOnShow does that
    }
    if (!ScrollContent(window)) {
        return;
    }
    const QSize size = WithScrollBars(window, designed, room);
    if (fixed) {
        window.setFixedSize(size);
    } else {
        window.resize(size);
    }
}

// Every show: a resizable window is no larger than the room, and the frame
// lies inside the free area.
void ScreenFit::FitOnShow(QWidget& window) {
    const QSize room = RoomFor(window);
    if (!Fits(window.size(), room) && window.minimumSize() != window.maximumSize()) {
        window.resize(window.size().boundedTo(room));
    }
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window.frameGeometry();
    if (frame == window.geometry()) {
        frame = frame.marginsAdded(kFrameAllowance);
    }
    const QRect area = screen->availableGeometry();
    if (!area.contains(frame)) {
        // A window's position is that of its frame.
        window.move(PlaceWithin(frame, area).topLeft());
    }
}

}  // namespace tulvo
