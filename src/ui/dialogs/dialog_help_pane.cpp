#include "ui/dialogs/dialog_help_pane.h"

#include <QEvent>
#include <QListWidget>

namespace tulvo {

DialogHelpPane::DialogHelpPane(QListWidget* list, QObject* parent) : QObject(parent), list_(list) {
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, Qt::red);
    list_->setPalette(palette);
}

void DialogHelpPane::Bind(const QStringList& lines, const QList<QWidget*>& widgets,
                          const QList<QWidget*>& labels) {
    for (QWidget* widget : widgets) {
        onFocus_[widget] = lines;
        onClick_[widget] = lines;
        widget->installEventFilter(this);
    }
    for (QWidget* label : labels) {
        onClick_[label] = lines;
        label->installEventFilter(this);
    }
}

void DialogHelpPane::Show(const QStringList& lines) {
    list_->clear();
    list_->addItems(lines);
}

void DialogHelpPane::Clear() {
    list_->clear();
}

bool DialogHelpPane::eventFilter(QObject* watched, QEvent* event) {
    const std::map<QObject*, QStringList>* table = nullptr;
    if (event->type() == QEvent::FocusIn) {
        table = &onFocus_;
    } else if (event->type() == QEvent::MouseButtonPress) {
        table = &onClick_;
    }
    if (table != nullptr) {
        if (auto it = table->find(watched); it != table->end()) {
            Show(it->second);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tulvo
