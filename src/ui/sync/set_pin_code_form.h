#pragma once

#include <QDialog>
#include <memory>

#include "actions/device_access.h"

namespace Ui {
class TSetPinCodeForm;
}

namespace tulvo {

// The SIM PIN: Edit1 takes up to 4 digits, "Записать" sends them and closes
// with Accepted. The button opens and closes the port itself.
class TSetPinCodeForm : public QDialog {
    Q_OBJECT
  public:
    explicit TSetPinCodeForm(const DeviceAccess& device, QWidget* owner = nullptr);
    ~TSetPinCodeForm() override;

    // Sends a new SIM PIN: create, show modally, destroy.
    static void EnterPin(QWidget* owner, const DeviceAccess& device);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Button1Click();

    std::unique_ptr<Ui::TSetPinCodeForm> ui_;
    DeviceAccess device_;
};

}  // namespace tulvo
