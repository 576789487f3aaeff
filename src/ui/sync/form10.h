#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <memory>

#include "actions/device_access.h"

namespace Ui {
class TForm10;
}

namespace tulvo {

class TData;
class RegistryStore;
class TReadWriteData;

// The modal progress window of a whole-image transfer. It starts the
// transfer thread when shown, polls it every 500 ms, says which records are
// on their way, and closes itself once the thread has finished. The window
// itself cannot be closed; "Прервать" asks the thread to stop before its next
// transaction, and the window closes when it has.
//
// The main window uses the two static actions behind "Чтение" and "Запись":
//
//   TForm10::ReadEverything(this, {image, store}, Device(), [this] { FillGrid(); });
//   TForm10::WriteEverything(this, image, Device());
class TForm10 : public QDialog {
    Q_OBJECT
  public:
    // What a read needs besides the port: the image it fills and the store
    // that receives all subscribers afterwards.
    struct ReadTarget {
        TData& image;
        RegistryStore& store;
    };

    // thread must be created and not started; it is started on show.
    TForm10(QWidget* owner, TReadWriteData& thread);
    ~TForm10() override;

    // The thread's success as read when it was seen finished.
    bool Result() const { return result_; }

    // Reads the whole image from the gateway. Whatever the outcome, once the
    // port is closed all subscribers are saved to the store and afterRead
    // runs (the main window rebuilds its grid there). True when the read
    // completed ("Чтение завершено!" has then been shown).
    // With verify, every record is read until two replies in a row agree.
    static bool ReadEverything(QWidget* owner, ReadTarget target, const DeviceAccess& device,
                               const std::function<void()>& afterRead, bool verify = false);

    // Writes the whole image to the gateway and, when that succeeded, sets
    // the gateway's clock. True when the image was written.
    static bool WriteEverything(QWidget* owner, TData& image, const DeviceAccess& device);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    void FormShow();
    void Timer1Timer();
    void Button1Click();  // "Прервать"
    void ShowStage();

    std::unique_ptr<Ui::TForm10> ui_;
    QTimer timer1_;  // objectName "Timer1"
    TReadWriteData& thread_;
    bool result_ = false;
    bool done_ = false;
    bool stopping_ = false;
};

}  // namespace tulvo
