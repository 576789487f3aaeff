#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "actions/serial_ports.h"

class QMenu;
class QToolButton;

namespace tulvo {

class ConnectionBar;
class Operator;

// The connection bar's "Сетевой порт…" button: the operator adds a gateway
// behind a serial device server once, by its address tcp://HOST:PORT, and
// it is listed among the COM ports from then on (kept with the window
// options); the button's menu also removes such ports again.
class NetworkPortMenu : public QObject {
    Q_OBJECT
  public:
    NetworkPortMenu(QToolButton* button, SerialPorts& ports, ConnectionBar& bar, Operator& op,
                    QObject* parent = nullptr);

    // The ports kept with the window options; an address that does not
    // parse is left out.
    void Restore(const std::vector<std::string>& addresses);
    // The operator's network ports, as tcp://HOST:PORT, in the order added.
    std::vector<std::string> Addresses() const;

    // Asks for the address to add; nothing means the operator cancelled.
    // Tests replace the input dialog here.
    using AddressAsker = std::function<std::optional<QString>()>;
    void SetAddressAsker(AddressAsker asker) { asker_ = std::move(asker); }
    // Called after a port was added or removed, to keep the list.
    void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // "Добавить сетевой порт…": asks for the address, adds the port and
    // chooses it; a malformed address is refused with the reason.
    void AddClick();
    void Remove(const std::string& address);

  private:
    void RebuildMenu();
    std::optional<QString> AskAddress();
    void Changed();

    QToolButton* button_;
    QMenu* menu_;
    SerialPorts& ports_;
    ConnectionBar& bar_;
    Operator& op_;
    std::vector<SerialPorts::NetworkPort> added_;
    AddressAsker asker_;
    std::function<void()> changed_;
};

}  // namespace tulvo
