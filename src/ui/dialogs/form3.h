#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "ui/box_owner_scope.h"

namespace Ui {
class TForm3;
}

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace tulvo {

class DialogHelpPane;
class Operator;
class TData;

// "Параметры системы оповещения": the alarm record, the four alarm SMS texts
// and the ten notified subscribers. Created when opened and destroyed when
// closed; every opening fills it from the image, and "Ок" stores into the
// image field by field.
class TForm3 : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kRows = 10;
    static constexpr int kChannels = 4;

    TForm3(TData& image, Operator& op, QWidget* parent = nullptr);
    ~TForm3() override;

    // Edits the alarm settings of the image: create, show modally, destroy
    // (the main window's "Оповещения" and "Сигнализация").
    static void Edit(QWidget* owner, TData& image, Operator& op);

    // For each subscriber list item its slot number - 1 (-1 for item 0).
    const std::vector<int>& AlarmItemSlot() const { return alarmItemSlot_; }

    // "Ок": true when everything was stored and the dialog closed.
    bool SpeedButton1Click();
    void SpeedButton2Click();  // "Отмена"
    void CheckBox6Click();     // help pane on/off

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Row {
        QComboBox* abName;
        QCheckBox* putSms;
        QCheckBox* call;
    };
    struct Channel {
        QCheckBox* enable;
        QLineEdit* password;
        QGroupBox* modeSwitch;
        QRadioButton* input;
        QRadioButton* output;
        QCheckBox* active;
        QLineEdit* sms;
        QComboBox* inMode;
        QLineEdit* inDebounce;
        QLineEdit* inTimeout;
        QLineEdit* setTimeout;
        QGroupBox* outGroup;
        QComboBox* outMode;
        QCheckBox* keyMode;
        std::array<QCheckBox*, kChannels> mask;  // column k: input k
        QLineEdit* keyTime;
    };

    void FindControls();
    void SetUpHelp();
    void Connect();
    void FormCreate();
    void FormShow();
    void BuildSubscriberLists();
    void Fill();
    bool Store();
    bool StoreNumbers();
    void KeyModeClick(int channel);
    // Channels whose output settings are shown and stored.
    static bool HasOutput(int channel) { return channel <= 2; }

    TData& image_;
    Operator& op_;
    std::unique_ptr<Ui::TForm3> ui_;
    DialogHelpPane* help_ = nullptr;
    std::array<Row, kRows> rows_{};
    std::array<Channel, kChannels> channels_{};
    std::vector<int> alarmItemSlot_;
    std::array<int, 300> alarmSlotItem_{};
    // While the dialog is shown, the message boxes are centred on it.
    std::optional<BoxOwnerScope> boxes_;
};

}  // namespace tulvo
