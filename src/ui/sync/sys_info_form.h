#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "actions/device_access.h"

namespace Ui {
class TTSysInfoForm;
}

namespace tulvo {

// Device information: firmware version, IMEI, signal level and bootloader
// version, queried 100 ms after the window is shown and then every 500 ms
// while it is visible. The first failed query ends the polling, shows
// "Ошибка при чтении данных!" and closes the window. The port must be open.
class TTSysInfoForm : public QDialog {
    Q_OBJECT
  public:
    TTSysInfoForm(QWidget* owner, TPortMost& port, Operator& op);
    ~TTSysInfoForm() override;

    // The main window's "№ версии прошивки ..., IMEI код": opens the port,
    // shows the window modally, destroys it and closes the port.
    static void ShowDeviceInformation(QWidget* owner, const DeviceAccess& device);

    // One poll; public so tests can drive it without waiting.
    void Timer1Timer();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();

    std::unique_ptr<Ui::TTSysInfoForm> ui_;
    QTimer timer1_;  // objectName "Timer1"
    TPortMost& port_;
    Operator& op_;
};

}  // namespace tulvo
