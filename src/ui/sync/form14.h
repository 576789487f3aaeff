#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "actions/device_access.h"
#include "actions/gateway_actions.h"

namespace Ui {
class TForm14;
}

namespace tulvo {

// "Прошивка": picks a program image and a voice image and sends them to the
// gateway's bootloader with "Записать". The upload runs on its own thread
// while the window shows its progress; meanwhile "Записать" and the pickers
// are disabled and the window does not close.
class TForm14 : public QDialog {
    Q_OBJECT
  public:
    // Asked for a file name in place of the file dialog (tests); an empty
    // name means nothing was chosen.
    using PathChooser = std::function<QString()>;

    explicit TForm14(const DeviceAccess& device, QWidget* owner = nullptr);
    ~TForm14() override;

    // The parameters dialog's button: create with that owner, show modally,
    // destroy.
    static void Open(QWidget* owner, const DeviceAccess& device);

    void SetPathChooser(PathChooser chooser) { pathChooser_ = std::move(chooser); }
    bool Updating() const { return updating_; }

    void SpeedButton1Click();  // program file
    void SpeedButton2Click();  // voice file
    void BitBtn1Click();       // "Записать"

    // Esc, like closing, does nothing while the upload runs.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QString ChooseFile();
    // Runs the job on a worker thread, moving the progress bar, until it ends.
    bool RunJob(const GatewayActions::Job& job);
    void SetUpdating(bool updating);

    std::unique_ptr<Ui::TForm14> ui_;
    DeviceAccess device_;
    QString programFile_;
    QString voiceFile_;
    PathChooser pathChooser_;
    bool updating_ = false;
    QWidget* boxOwner_ = nullptr;  // where the operator's boxes went before
};

}  // namespace tulvo
