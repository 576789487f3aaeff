#include "ui/main/connection_bar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <QSignalBlocker>

#include "actions/serial_ports.h"
#include "ui/main/port_item_delegate.h"

namespace tulvo {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

ConnectionBar::ConnectionBar(const SerialPorts& ports, QRadioButton* usb, QRadioButton* com,
                             QComboBox* box, QObject* parent)
    : QObject(parent), ports_(ports), chooser_(ports), usb_(usb), com_(com), box_(box) {
    box_->setItemDelegate(new PortItemDelegate(box_));
    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(kIntervalMs);
    connect(&timer1_, &QTimer::timeout, this, &ConnectionBar::Timer1Timer);
    connect(usb_, &QRadioButton::clicked, this, [this] {
        if (chooser_.RadioButton1Click()) {
            Mirror();
        }
    });
    connect(com_, &QRadioButton::clicked, this, [this] {
        if (chooser_.RadioButton2Click()) {
            Mirror();
        }
    });
    connect(box_, &QComboBox::activated, this,
            [this](int index) { chooser_.ComboBox2Change(index); });
    box_->installEventFilter(this);
}

void ConnectionBar::Restore(const std::string& portName, bool usb) {
    chooser_.Restore(portName, usb);
    (usb ? usb_ : com_)->setChecked(true);
}

void ConnectionBar::Start() {
    if (!timer1_.isActive()) {
        timer1_.start();
    }
}

void ConnectionBar::Timer1Timer() {
    if (chooser_.Timer1Timer()) {
        Mirror();
    }
}

void ConnectionBar::Choose(const std::string& name) {
    com_->setChecked(true);
    chooser_.Choose(name);
    Mirror();
}

void ConnectionBar::Mirror() {
    const PortChooser::ComboState& combo = chooser_.Combo();
    const QSignalBlocker block(box_);
    box_->clear();
    for (const std::string& item : combo.items) {
        box_->addItem(FromUtf8(item));
    }
    DescribeItems();
    box_->setCurrentIndex(combo.selected);
    box_->setToolTip(FromUtf8(combo.hint));
    // With nothing selected the box shows the guidance text.
    box_->setPlaceholderText(combo.selected < 0 ? FromUtf8(combo.text) : QString());
}

void ConnectionBar::DescribeItems() {
    for (int i = 0; i < box_->count(); ++i) {
        const QString description =
            QString::fromStdString(ports_.Describe(box_->itemText(i).toStdString()));
        box_->setItemData(i, description, PortItemDelegate::DescriptionRole);
        box_->setItemData(i, description, Qt::ToolTipRole);
    }
    // The list may be wider than the box, so no description is cut.
    box_->view()->setMinimumWidth(box_->view()->sizeHintForColumn(0) + 8);
}

// ComboBox2KeyPress: typed characters are discarded; the name can only be
// picked from the list.
bool ConnectionBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty() && key->text().at(0).isPrint()) {
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tulvo
