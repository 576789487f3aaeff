#pragma once

#include <QObject>
#include <QTimer>
#include <string>

#include "actions/port_chooser.h"

class QComboBox;
class QRadioButton;

namespace tulvo {

class SerialPorts;

// The connection bar: "USB"/"COM" radio buttons and the port box ComboBox2,
// mirroring a PortChooser. Timer1 ticks every 1000 ms once started; the box
// is only rewritten when the chooser reports a change, so an open drop-down
// is left alone. Its list shows under each name what the port is.
class ConnectionBar : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIntervalMs = 1000;

    ConnectionBar(const SerialPorts& ports, QRadioButton* usb, QRadioButton* com, QComboBox* box,
                  QObject* parent = nullptr);

    // Start-up choice from the window options.
    void Restore(const std::string& portName, bool usb);
    // Starts the port-discovery timer (first show).
    void Start();

    void Timer1Timer();
    // Checks "COM" and chooses the port `name` (a network port just added).
    void Choose(const std::string& name);
    // The device to open, or empty when no usable port is chosen.
    std::string GetPortName() const { return chooser_.GetPortName(); }
    const std::string& ChosenPort() const { return chooser_.ChosenPort(); }
    bool UsbChecked() const { return chooser_.UsbChecked(); }
    const PortChooser& Chooser() const { return chooser_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Mirror();
    void DescribeItems();

    const SerialPorts& ports_;
    PortChooser chooser_;
    QRadioButton* usb_;
    QRadioButton* com_;
    QComboBox* box_;
    QTimer timer1_;
};

}  // namespace tulvo
