#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>

#include "actions/device_access.h"

namespace Ui {
class TAcountCtrl;
}

namespace tulvo {

// The account balance window. Lives for the whole run; ShowBalance opens the
// port, shows it modally (it reads the balance on show) and closes the port.
class TAcountCtrl : public QDialog {
    Q_OBJECT
  public:
    explicit TAcountCtrl(const DeviceAccess& device, QWidget* parent = nullptr);
    ~TAcountCtrl() override;

    // Opens the port, shows the balance modally, closes the port.
    void ShowBalance();

    // An amount in 1/10000 units as a plain decimal number with the locale's
    // separator and no trailing zeros: 123400 -> "12.34", 120000 -> "12".
    static QString FormatAmount(std::int64_t amount);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();

    std::unique_ptr<Ui::TAcountCtrl> ui_;
    DeviceAccess device_;
};

}  // namespace tulvo
