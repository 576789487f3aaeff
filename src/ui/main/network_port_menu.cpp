#include "ui/main/network_port_menu.h"

#include <QInputDialog>
#include <QMenu>
#include <QToolButton>
#include <algorithm>

#include "model/operator.h"
#include "ui/main/connection_bar.h"
#include "ui/qt_operator.h"

namespace tulvo {

NetworkPortMenu::NetworkPortMenu(QToolButton* button, SerialPorts& ports, ConnectionBar& bar,
                                 Operator& op, QObject* parent)
    : QObject(parent),
      button_(button),
      menu_(new QMenu(button)),
      ports_(ports),
      bar_(bar),
      op_(op) {
    menu_->setObjectName(QStringLiteral("NetworkPortMenu"));
    button_->setMenu(menu_);
    connect(menu_, &QMenu::aboutToShow, this, &NetworkPortMenu::RebuildMenu);
    RebuildMenu();
}

void NetworkPortMenu::Restore(const std::vector<std::string>& addresses) {
    for (const std::string& address : addresses) {
        std::string why;
        if (const auto port = ports_.AddNetworkPort(address, why);
            port && std::find(added_.begin(), added_.end(), *port) == added_.end()) {
            added_.push_back(*port);
        }
    }
    RebuildMenu();
}

std::vector<std::string> NetworkPortMenu::Addresses() const {
    std::vector<std::string> addresses;
    for (const SerialPorts::NetworkPort& port : added_) {
        addresses.push_back(port.address);
    }
    return addresses;
}

void NetworkPortMenu::RebuildMenu() {
    menu_->clear();
    QAction* add = menu_->addAction(QStringLiteral("Добавить сетевой порт…"));
    add->setObjectName(QStringLiteral("AddNetworkPort"));
    connect(add, &QAction::triggered, this, &NetworkPortMenu::AddClick);
    if (!added_.empty()) {
        menu_->addSeparator();
    }
    for (const SerialPorts::NetworkPort& port : added_) {
        QAction* remove =
            menu_->addAction(QStringLiteral("Удалить ") + QString::fromStdString(port.address));
        connect(remove, &QAction::triggered, this,
                [this, address = port.address] { Remove(address); });
    }
}

std::optional<QString> NetworkPortMenu::AskAddress() {
    if (asker_) {
        return asker_();
    }
    bool ok = false;
    const QString text = QInputDialog::getText(
        button_->window(), QString::fromUtf8(QtOperator::kCaption),
        QStringLiteral("Адрес сервера последовательного порта, к которому подключён шлюз\n"
                       "(tcp://УЗЕЛ:ПОРТ, например tcp://192.168.1.20:4001):"),
        QLineEdit::Normal, QStringLiteral("tcp://"), &ok);
    return ok ? std::optional(text.trimmed()) : std::nullopt;
}

void NetworkPortMenu::AddClick() {
    const std::optional<QString> address = AskAddress();
    if (!address) {
        return;
    }
    std::string why;
    const auto port = ports_.AddNetworkPort(address->toStdString(), why);
    if (!port) {
        op_.Error(why);
        return;
    }
    if (std::find(added_.begin(), added_.end(), *port) == added_.end()) {
        added_.push_back(*port);
    }
    bar_.Choose(port->name);
    Changed();
}

void NetworkPortMenu::Remove(const std::string& address) {
    const auto port = std::find_if(added_.begin(), added_.end(),
                                   [&](const auto& p) { return p.address == address; });
    if (port == added_.end()) {
        return;
    }
    ports_.RemoveExtraPort(port->name);
    added_.erase(port);
    bar_.Timer1Timer();
    Changed();
}

// The menu is rebuilt when it is next shown, not here: this may run from
// one of its actions, which a rebuild would delete.
void NetworkPortMenu::Changed() {
    if (changed_) {
        changed_();
    }
}

}  // namespace tulvo
