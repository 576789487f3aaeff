#include "ui/dialogs/form3.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHideEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QShowEvent>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "model/operator.h"
#include "model/t_data.h"
#include "ui/cp1251_text.h"
#include "ui/dialogs/dialog_help_pane.h"
#include "ui/dialogs/dialog_help_texts.h"
#include "ui/guarded_call.h"
#include "ui_form3.h"

namespace tulvo {

namespace {

constexpr int kNoSubscriber = -1;

// A typed number: at most maxChars characters (0: any number of them) that
// read as a decimal integer from low to high. Values the record cannot hold
// are refused rather than stored cut to the field's width.
std::optional<unsigned> TypedNumber(const QString& text, int maxChars, int low, int high) {
    if (text.isEmpty() || (maxChars > 0 && text.size() > maxChars)) {
        return std::nullopt;
    }
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high) {
        return std::nullopt;
    }
    return static_cast<unsigned>(value);
}

std::string ChannelMessage(const char* prefix, int channel) {
    return prefix + std::to_string(channel) + "-го канала";
}

template <typename T>
T* Child(QWidget* form, const QString& name) {
    T* child = form->findChild<T*>(name);
    Q_ASSERT(child != nullptr);
    return child;
}

}  // namespace

TForm3::TForm3(TData& image, Operator& op, QWidget* parent)
    : QDialog(parent), image_(image), op_(op), ui_(std::make_unique<Ui::TForm3>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    // A fixed size that follows the help pane: hiding it shrinks the window.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    FindControls();
    SetUpHelp();
    Connect();
    GuardedCall(op_, [this] { FormCreate(); });
}

TForm3::~TForm3() = default;

void TForm3::Edit(QWidget* owner, TData& image, Operator& op) {
    TForm3 form(image, op, owner);
    form.exec();
}

void TForm3::FindControls() {
    for (int n = 1; n <= kRows; ++n) {
        const QString suffix = QString::number(n);
        rows_[n - 1] =
            Row{Child<QComboBox>(this, "AbName" + suffix),
                Child<QCheckBox>(this, "PutSMS" + suffix), Child<QCheckBox>(this, "Call" + suffix)};
    }
    for (int n = 1; n <= kChannels; ++n) {
        const QString suffix = QString::number(n);
        Channel& c = channels_[n - 1];
        c.enable = Child<QCheckBox>(this, "EnableCheck" + suffix);
        c.password = Child<QLineEdit>(this, "Password" + suffix);
        c.modeSwitch = Child<QGroupBox>(this, "ModeSwitch" + suffix);
        c.input = Child<QRadioButton>(this, "ModeSwitch" + suffix + "Item0");
        c.output = Child<QRadioButton>(this, "ModeSwitch" + suffix + "Item1");
        c.active = Child<QCheckBox>(this, "Active" + suffix);
        c.sms = Child<QLineEdit>(this, "SMS_Message" + suffix);
        c.inMode = Child<QComboBox>(this, "InMode" + suffix);
        c.inDebounce = Child<QLineEdit>(this, "InDebounce" + suffix);
        c.inTimeout = Child<QLineEdit>(this, "InTimeout" + suffix);
        c.setTimeout = Child<QLineEdit>(this, "SetTimeout" + suffix);
        c.outGroup = Child<QGroupBox>(this, "OutGroup" + suffix);
        c.outMode = Child<QComboBox>(this, "OutMode" + suffix);
        c.keyMode = Child<QCheckBox>(this, "KeyMode" + suffix);
        for (int k = 1; k <= kChannels; ++k) {
            c.mask[k - 1] = Child<QCheckBox>(this, QStringLiteral("c%1%2").arg(n).arg(k));
        }
        c.keyTime = Child<QLineEdit>(this, "KeyTime" + suffix);
    }
}

void TForm3::SetUpHelp() {
    using T = DialogHelpTexts::Topic;
    auto lines = [](T topic) { return DialogHelpTexts::Lines(topic); };
    help_ = new DialogHelpPane(ui_->ListBox1, this);
    QList<QWidget*> subscribers;
    for (const Row& row : rows_) {
        subscribers << row.abName;
    }
    help_->Bind(lines(T::AlarmSubscriber), subscribers);
    help_->Bind(lines(T::AlarmSubscriber), {}, {ui_->Label1, ui_->Label2, ui_->Label3});
    help_->Bind(lines(T::AlarmCommonPassword), {ui_->Password});
    help_->Bind(lines(T::AlarmCommonPassword), {}, {ui_->Label4});
    for (const Channel& c : channels_) {
        help_->Bind(lines(T::AlarmEnableChannel), {c.enable});
        help_->Bind(lines(T::AlarmChannelPassword), {c.password});
        help_->Bind(lines(T::AlarmModeSwitch), {}, {c.modeSwitch, c.input, c.output});
        help_->Bind(lines(T::AlarmInMode), {c.inMode});
        connect(c.inMode, &QComboBox::activated, this,
                [this, lines] { help_->Show(lines(T::AlarmInMode)); });
        help_->Bind(lines(T::AlarmInDebounce), {c.inDebounce});
        help_->Bind(lines(T::AlarmInTimeout), {c.inTimeout});
        help_->Bind(lines(T::AlarmKeyMode), {c.keyMode});
    }
}

void TForm3::Connect() {
    connect(ui_->SpeedButton1, &QToolButton::clicked, this,
            [this] { GuardedCall(op_, [this] { SpeedButton1Click(); }); });
    connect(ui_->SpeedButton2, &QToolButton::clicked, this,
            [this] { GuardedCall(op_, [this] { SpeedButton2Click(); }); });
    connect(ui_->CheckBox6, &QCheckBox::clicked, this,
            [this] { GuardedCall(op_, [this] { CheckBox6Click(); }); });
    connect(ui_->PageControl1, &QTabWidget::currentChanged, this, [this] { help_->Clear(); });
    for (int n = 1; n <= kChannels; ++n) {
        connect(channels_[n - 1].keyMode, &QCheckBox::clicked, this,
                [this, n] { GuardedCall(op_, [this, n] { KeyModeClick(n); }); });
    }
}

void TForm3::FormCreate() {
    for (int n = 1; n <= kChannels; ++n) {
        // An output is never driven by its own input.
        QCheckBox* own = channels_[n - 1].mask[n - 1];
        own->setChecked(false);
        own->setEnabled(false);
    }
    // Channels 3 and 4 are inputs only.
    for (int n = 3; n <= kChannels; ++n) {
        channels_[n - 1].outGroup->setVisible(false);
        channels_[n - 1].outGroup->setEnabled(false);
    }
    Fill();
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TForm3::hideEvent(QHideEvent* event) {
    boxes_.reset();
    QDialog::hideEvent(event);
}

void TForm3::FormShow() {
    help_->Clear();
    // The dialog stays on top of other windows, so a box centred on the main
    // window could open behind it, out of sight, and block the program:
    // while it is shown the boxes belong to it.
    if (!boxes_) {
        boxes_.emplace(op_, this);
    }
}

void TForm3::BuildSubscriberLists() {
    alarmItemSlot_.assign(1, kNoSubscriber);
    alarmSlotItem_.fill(0);
    QStringList items{QString::fromUtf8("-пустая запись-")};
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        const ConstAbInfoRecord info = std::as_const(image_).AbInfo(n);
        if (info.Empty() || !info.Activation()) {
            continue;
        }
        const std::string& name = image_.Name(n).AbFNS;
        alarmSlotItem_[static_cast<std::size_t>(n - 1)] = static_cast<int>(alarmItemSlot_.size());
        alarmItemSlot_.push_back(n - 1);
        items << (name.empty() ? QString::number(n) : FromCp1251(name));
    }
    for (const Row& row : rows_) {
        row.abName->clear();
        row.abName->addItems(items);
    }
}

void TForm3::Fill() {
    const ConstAlarmSettingRecord alarm = std::as_const(image_).SettingAlarm();
    BuildSubscriberLists();
    for (int n = 1; n <= kRows; ++n) {
        // -1 and every other number past the last slot read as "none".
        const auto slot = static_cast<std::uint16_t>(alarm.AbName(n));
        const int item =
            slot < TData::kSubscribers ? alarmSlotItem_[static_cast<std::size_t>(slot)] : 0;
        rows_[n - 1].abName->setCurrentIndex(item);
    }
    for (int n = 1; n <= kRows; ++n) {
        rows_[n - 1].putSms->setChecked(alarm.SmsTo(n));
        rows_[n - 1].call->setChecked(alarm.CallTo(n));
    }
    ui_->Password->setText(FromCp1251(alarm.Password(0)));
    for (int n = 1; n <= kChannels; ++n) {
        const Channel& c = channels_[n - 1];
        c.enable->setChecked(alarm.ChannelOn(n));
        c.active->setChecked(alarm.ChannelActive(n));
        const bool output = HasOutput(n) && alarm.ModeSwitch(n);
        (output ? c.output : c.input)->setChecked(true);
        c.modeSwitch->setEnabled(HasOutput(n));
        c.password->setText(FromCp1251(alarm.Password(n)));
        c.inMode->setCurrentIndex(alarm.InMode(n) ? 1 : 0);
        c.inDebounce->setText(QString::number(alarm.InDebounce(n)));
        c.setTimeout->setText(QString::number(alarm.SetTimeout(n)));
        c.inTimeout->setText(QString::number(alarm.InTimeout(n)));
        c.outMode->setCurrentIndex(alarm.OutMode(n) ? 1 : 0);
        c.keyTime->setText(QString::number(alarm.KeyTime(n)));
        c.keyTime->setEnabled(alarm.KeyTime(n) != 0);
        c.keyMode->setChecked(alarm.ButtonMode(n));
        if (c.keyMode->isChecked()) {
            KeyModeClick(n);
        }
        for (int k = 1; k <= kChannels; ++k) {
            c.mask[k - 1]->setChecked(k != n && alarm.DrivenBy(n, k));
        }
        c.sms->setText(FromCp1251(std::as_const(image_).SMSMessage(n - 1).Text()));
    }
}

void TForm3::KeyModeClick(int channel) {
    const Channel& c = channels_[channel - 1];
    c.keyTime->setEnabled(c.keyMode->isChecked());
    help_->Show(DialogHelpTexts::Lines(DialogHelpTexts::Topic::AlarmKeyMode));
}

bool TForm3::SpeedButton1Click() {
    const bool stored = Store();
    // Several of the record's stores leave its checksum as it was; whatever
    // was written, the record goes to the gateway with a valid one.
    image_.SettingAlarm().UpdateChecksum();
    if (stored) {
        accept();
    }
    return stored;
}

void TForm3::SpeedButton2Click() {
    reject();
}

void TForm3::CheckBox6Click() {
    ui_->GroupBox1->setVisible(ui_->CheckBox6->isChecked());
}

// Each step writes into the image at once; a refused field stops the steps
// after it and leaves the ones before it written.
bool TForm3::Store() {
    AlarmSettingRecord alarm = image_.SettingAlarm();
    for (int n = 1; n <= kRows; ++n) {
        const int item = rows_[n - 1].abName->currentIndex();
        if (item >= 0 && item < static_cast<int>(alarmItemSlot_.size())) {
            alarm.SetAbName(n, static_cast<std::int16_t>(alarmItemSlot_[item]));
        }
    }
    if (ui_->Password->text().isEmpty()) {
        op_.Message("Не установлен общий пароль");
        return false;
    }
    alarm.SetPassword(0, ToCp1251(ui_->Password->text()));
    // Every bit the dialog has no box for is cleared.
    alarm.SetPutSMS(0);
    alarm.SetCall(0);
    for (int n = 1; n <= kRows; ++n) {
        alarm.SetSmsTo(n, rows_[n - 1].putSms->isChecked());
        alarm.SetCallTo(n, rows_[n - 1].call->isChecked());
    }
    alarm.SetActive(0);
    alarm.SetEM(0);
    alarm.SetMM(0);
    for (int n = 1; n <= kChannels; ++n) {
        const Channel& c = channels_[n - 1];
        alarm.SetChannelActive(n, c.active->isChecked());
        alarm.SetChannelOn(n, c.enable->isChecked());
        alarm.SetInMode(n, c.inMode->currentIndex() == 1);
        alarm.SetModeSwitch(n, HasOutput(n) && c.output->isChecked());
        alarm.SetOutMode(n, c.outMode->currentIndex() == 1);
    }
    for (int n = 1; n <= kChannels; ++n) {
        const Channel& c = channels_[n - 1];
        if (c.enable->isChecked() && c.password->text().isEmpty()) {
            op_.Message(ChannelMessage("Не установлен пароль для ", n));
            return false;
        }
        alarm.SetPassword(n, ToCp1251(c.password->text()));
    }
    if (!StoreNumbers()) {
        return false;
    }
    // Channels without output settings keep their button mode as loaded.
    std::array<bool, kChannels> buttons{};
    for (int n = 1; n <= kChannels; ++n) {
        buttons[n - 1] = HasOutput(n) ? channels_[n - 1].keyMode->isChecked() : alarm.ButtonMode(n);
    }
    alarm.SetKeyMode(0);
    for (int n = 1; n <= kChannels; ++n) {
        alarm.SetButtonMode(n, buttons[n - 1]);
        alarm.SetOutMask(n, 0);
        for (int k = 1; k <= kChannels; ++k) {
            alarm.SetDrivenBy(n, k, k != n && channels_[n - 1].mask[k - 1]->isChecked());
        }
    }
    for (int n = 1; n <= kChannels; ++n) {
        image_.SMSMessage(n - 1).SetText(ToCp1251(channels_[n - 1].sms->text()));
    }
    return true;
}

bool TForm3::StoreNumbers() {
    AlarmSettingRecord alarm = image_.SettingAlarm();
    for (int n = 1; n <= kChannels; ++n) {
        const auto value = TypedNumber(channels_[n - 1].inDebounce->text(), 5, 0, 0xFFFF);
        if (!value) {
            op_.Message(ChannelMessage("Недопустимое значение поля таймаут для ", n));
            return false;
        }
        alarm.SetInDebounce(n, static_cast<std::uint16_t>(*value));
    }
    for (int n = 1; n <= kChannels; ++n) {
        const auto value = TypedNumber(channels_[n - 1].inTimeout->text(), 5, 0, 0xFFFF);
        if (!value) {
            op_.Message(ChannelMessage(
                "Недопустимое значение поля таймаут до повтрного срабатывания для ", n));
            return false;
        }
        alarm.SetInTimeout(n, static_cast<std::uint16_t>(*value));
    }
    for (int n = 1; n <= kChannels; ++n) {
        const auto value = TypedNumber(channels_[n - 1].setTimeout->text(), 3, 0, 0xFF);
        if (!value) {
            op_.Message(
                ChannelMessage("Недопустимое значение поля таймаут постановки на охрану для ", n));
            return false;
        }
        alarm.SetSetTimeout(n, static_cast<std::uint8_t>(*value));
    }
    // The press times of channels 3 and 4 belong to output settings that are
    // neither shown nor edited here: they stay as they are.
    for (int n = 1; n <= kChannels; ++n) {
        if (!HasOutput(n)) {
            continue;
        }
        const Channel& c = channels_[n - 1];
        std::uint8_t seconds = 0;
        if (c.keyMode->isChecked()) {
            const auto value = TypedNumber(c.keyTime->text(), 0, 1, 0xFF);
            if (!value) {
                op_.Message(ChannelMessage("Недопустимое значение поля время нажатия для ", n));
                return false;
            }
            seconds = static_cast<std::uint8_t>(*value);
        }
        alarm.SetKeyTime(n, seconds);
    }
    return true;
}

}  // namespace tulvo
