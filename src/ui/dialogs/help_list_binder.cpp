#include "dialogs/help_list_binder.h"

#include <QEvent>
#include <QListWidget>

namespace tulvo {

HelpListBinder::HelpListBinder(QListWidget* list, QObject* parent) : QObject(parent), list_(list) {
    // As in the main window: red lines on the panel's colour.
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, list_->parentWidget()->palette().color(QPalette::Window));
    palette.setColor(QPalette::Text, Qt::red);
    list_->setPalette(palette);
}

void HelpListBinder::OnFocusOrClick(const QStringList& lines, const QList<QWidget*>& fields) {
    for (QWidget* field : fields) {
        onFocus_[field] = lines;
        onClick_[field] = lines;
        field->installEventFilter(this);
    }
}

void HelpListBinder::OnClick(const QStringList& lines, const QList<QWidget*>& widgets) {
    for (QWidget* widget : widgets) {
        onClick_[widget] = lines;
        widget->installEventFilter(this);
    }
}

void HelpListBinder::Show(const QStringList& lines) {
    list_->clear();
    list_->addItems(lines);
}

void HelpListBinder::Clear() {
    list_->clear();
}

bool HelpListBinder::eventFilter(QObject* watched, QEvent* event) {
    const std::map<QObject*, QStringList>* handlers = nullptr;
    if (event->type() == QEvent::FocusIn) {
        handlers = &onFocus_;
    } else if (event->type() == QEvent::MouseButtonPress) {
        handlers = &onClick_;
    }
    if (handlers != nullptr) {
        if (auto it = handlers->find(watched); it != handlers->end()) {
            Show(it->second);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tulvo
