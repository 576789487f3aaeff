#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "ui/dialogs/fxo_add_setting.h"

namespace Ui {
class TForm2;
}

class QComboBox;
class QLineEdit;

namespace tulvo {

class DialogHelpPane;
class Operator;
class RegistryStore;
class TData;

// "Параметры устройства": edits the line, GSM, password and account control
// records of the image. Lives for the whole run and is shown modally by the
// main window; every show refills it from the image, and only "ОК" writes
// back. Nothing is sent to the gateway from here.
class TForm2 : public QDialog {
    Q_OBJECT
  public:
    // The single-value windows its buttons open; an unset hook does nothing.
    struct Hooks {
        std::function<void()> openPinCode;  // "Ввести PIN код"
        std::function<void()> openDevName;  // "Записать идентификатор у-ва"
        std::function<void()> openTotalLimit;  // "Установка общего лимита времени ..."
    };

    static constexpr int kWidth = 660;
    static constexpr int kHeightWithHelp = 516;
    static constexpr int kHeightWithoutHelp = 374;

    // Reads "DSHelpEnable" from the store (FormCreate).
    TForm2(TData& image, RegistryStore& store, Operator& op, Hooks hooks,
           QWidget* parent = nullptr);
    // Writes "DSHelpEnable" (FormDestroy).
    ~TForm2() override;

    // "Замена прошивки у-ва ...": opens the firmware window once there is
    // one; until then the button does nothing.
    void SetFirmwareWindowOpener(std::function<void()> opener);

    // Every control and the held additional settings from the image.
    void ShowSettings();
    // Every control and the held values into the image, field by field. A
    // refused value raises RecordError there: the fields before it stay
    // stored, those after it are not.
    void StoreSettings();

    void SpeedButton1Click();  // "ОК"
    void SpeedButton2Click();  // "Отмена"

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void SetUpControls();
    void SetUpHelp();
    void ConnectControls();
    template <typename Sender, typename Signal>
    void Bind(Sender* sender, Signal signal, void (TForm2::*handler)());

    void FillSubscriberLists();
    void ShowLine();
    void ShowGsm();
    void ShowAccount();
    void StoreAccount();
    void StoreFxo();
    void StoreFxs();
    void StoreGsm();
    // Subscriber number - 1 of a main-subscriber box's item, or -1.
    int MainSubscriberOf(const QComboBox* box) const;
    // AB1..AB4 of an account box: -1 for "Откл." or no item.
    int AccountSubscriberOf(const QComboBox* box) const;
    void SelectSubscriber(QComboBox* box, int subscriber, int shift);

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void CheckBox4Click();
    void TrackBar1Change();

    std::unique_ptr<Ui::TForm2> ui_;
    TData& image_;
    RegistryStore& store_;
    Operator& op_;
    Hooks hooks_;
    std::function<void()> firmwareOpener_;
    DialogHelpPane* help_ = nullptr;
    // List position k of ComboBox12 -> subscriber number - 1.
    std::vector<int> positionSubscriber_;
    // Subscriber number n (1..300) -> its list position, or -1.
    std::array<int, 301> subscriberPosition_{};
    AddSettingValues fxoHeld_;
    AddSettingValues fxsHeld_;
};

}  // namespace tulvo
