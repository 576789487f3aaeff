#include "ui/main/help_pane.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>

namespace tulvo {

HelpPane::HelpPane(QGroupBox* pane, QListWidget* list, QWidget* panel, QObject* parent)
    : QObject(parent), pane_(pane), list_(list), panel_(panel) {
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, panel_->palette().color(QPalette::Window));
    palette.setColor(QPalette::Text, Qt::red);
    list_->setPalette(palette);
    connect(qApp, &QApplication::focusChanged, this, &HelpPane::Panel2Exit);
}

void HelpPane::Bind(HelpTexts::Topic topic, const QList<QWidget*>& fields,
                    const QList<QWidget*>& labels) {
    for (QWidget* field : fields) {
        onFocus_[field] = topic;
        field->installEventFilter(this);
    }
    for (QWidget* label : labels) {
        BindClick(topic, label);
    }
}

void HelpPane::BindClick(HelpTexts::Topic topic, QWidget* widget) {
    onClick_[widget] = topic;
    widget->installEventFilter(this);
}

void HelpPane::Show(HelpTexts::Topic topic) {
    list_->clear();
    list_->addItems(HelpTexts::Lines(topic));
}

void HelpPane::Clear() {
    list_->clear();
}

void HelpPane::SetEnabled(bool enabled) {
    pane_->setVisible(enabled);
}

bool HelpPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto it = onFocus_.find(watched); it != onFocus_.end()) {
            Show(it->second);
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (auto it = onClick_.find(watched); it != onClick_.end()) {
            Show(it->second);
        }
    }
    return QObject::eventFilter(watched, event);
}

void HelpPane::Panel2Exit(QWidget* old, QWidget* now) {
    const bool wasInside = old != nullptr && panel_->isAncestorOf(old);
    const bool isInside = now != nullptr && panel_->isAncestorOf(now);
    if (wasInside && !isInside) {
        Clear();
    }
}

}  // namespace tulvo
