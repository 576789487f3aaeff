#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

#include "actions/device_access.h"
#include "actions/gateway_actions.h"
#include "ui/box_owner_scope.h"

namespace Ui {
class TForm14;
}

namespace tulvo {

class FirmwareUpdate;
class ShutdownGate;

// "Прошивка": picks a program image and a voice image and sends them to the
// gateway's bootloader with "Записать". The upload runs on its own thread
// while the window shows which image is going out and how far it has come;
// meanwhile "Записать" and the pickers are disabled. Closing the window, or
// a request to quit the program, during the upload asks first when a stop
// would leave an image cut short; a stop comes before the next block, and
// the window closes (the program quits) once the upload has ended.
class TForm14 : public QDialog {
    Q_OBJECT
  public:
    // Asked for a file name in place of the file dialog (tests); an empty
    // name means nothing was chosen.
    using PathChooser = std::function<QString()>;

    explicit TForm14(const DeviceAccess& device, QWidget* owner = nullptr);
    ~TForm14() override;

    // The parameters dialog's button: create with that owner, show modally,
    // destroy. Requests to quit that pass through gate wait for an upload.
    static void Open(QWidget* owner, const DeviceAccess& device, ShutdownGate* gate = nullptr);

    void SetShutdownGate(ShutdownGate* gate) { gate_ = gate; }
    void SetPathChooser(PathChooser chooser) { pathChooser_ = std::move(chooser); }
    bool Updating() const { return updating_; }

    void SpeedButton1Click();  // program file
    void SpeedButton2Click();  // voice file
    void BitBtn1Click();       // "Записать"

    // Esc, like closing, asks to stop a running upload.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QString ChooseFile();
    // Runs the job on a worker thread, moving the progress bar, until it ends.
    bool RunJob(const GatewayActions::Job& job);
    void SetUpdating(bool updating);
    void ShowProgress();
    // Asks the running upload to stop, first asking the operator when a stop
    // would cut an image short. False when the operator lets it go on.
    bool StopUpdate();
    // A request to close the window while the upload runs.
    void CloseWhenDone();

    std::unique_ptr<Ui::TForm14> ui_;
    DeviceAccess device_;
    QString programFile_;
    QString voiceFile_;
    PathChooser pathChooser_;
    bool updating_ = false;
    FirmwareUpdate* update_ = nullptr;  // while it runs
    ShutdownGate* gate_ = nullptr;
    bool asking_ = false;
    bool closeWhenDone_ = false;
    // The update's messages are centred on this window, over the dialogs
    // behind it, while it lives.
    BoxOwnerScope boxes_;
};

}  // namespace tulvo
