#pragma once

#include <QDialog>
#include <memory>

#include "actions/device_access.h"
#include "sync/total_limit.h"

namespace Ui {
class TForm12;
}

namespace tulvo {

// The gateway's total time limit. Lives for the whole run and is shown
// modally by the main window (N7Click: exec()). It keeps the block as last
// read, so a write sends back the flag bits it does not set.
class TForm12 : public QDialog {
    Q_OBJECT
  public:
    explicit TForm12(const DeviceAccess& device, QWidget* parent = nullptr);
    ~TForm12() override;

    const TotalLimit& Limit() const { return limit_; }

  private:
    void SpeedButton18Click();  // "Чтение"
    void SpeedButton19Click();  // "Запись"

    std::unique_ptr<Ui::TForm12> ui_;
    DeviceAccess device_;
    TotalLimit limit_;
};

}  // namespace tulvo
