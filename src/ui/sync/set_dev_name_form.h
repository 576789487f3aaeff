#pragma once

#include <QDialog>
#include <memory>

#include "actions/device_access.h"

namespace Ui {
class TSetDevNameForm;
}

namespace tulvo {

// The device identifier (up to 8 characters): "Записать" writes Edit1 to the
// gateway and closes with Accepted, "Считать" reads it into Edit1. Each
// button opens and closes the port itself.
class TSetDevNameForm : public QDialog {
    Q_OBJECT
  public:
    explicit TSetDevNameForm(const DeviceAccess& device, QWidget* owner = nullptr);
    ~TSetDevNameForm() override;

    // Reads and writes the device identifier: create, show modally, destroy.
    static void EditIdentifier(QWidget* owner, const DeviceAccess& device);

  private:
    void BitBtn1Click();
    void BitBtn2Click();

    std::unique_ptr<Ui::TSetDevNameForm> ui_;
    DeviceAccess device_;
};

}  // namespace tulvo
