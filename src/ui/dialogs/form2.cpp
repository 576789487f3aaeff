#include "ui/dialogs/form2.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "model/operator.h"
#include "model/record_error.h"
#include "model/t_data.h"
#include "store/window_options.h"
#include "ui/cp1251_text.h"
#include "ui/dialogs/dialog_help_pane.h"
#include "ui/dialogs/form2_help_texts.h"
#include "ui/guarded_call.h"
#include "ui/main/key_filter_validator.h"
#include "ui/screen_fit.h"
#include "ui_form2.h"

namespace tulvo {
namespace {

// The operator's texts. "Недопуcтимое" is spelt with a Latin "c", as the
// gateway's users have always seen it.
constexpr const char* kEmptyPassword =
    "Пароль не может быть пустым! Установлен пароль по умолчанию";
constexpr const char* kDefaultPassword = "9387";
constexpr const char* kBadPeriod = "Недопуcтимое значение таймаута в настройках контроля счета!";
constexpr const char* kBadThreshold = "Недопуcтимое значение порога в настройках контроля счета!";

struct LimitTexts {
    const char* empty;
    const char* invalid;
};
constexpr LimitTexts kFxoOut{"Лиммит на исходящий звонок для линии FXO не установлен!",
                             "Недопуcтимое значение лиммита на исходящий звонок для линии FXO!"};
constexpr LimitTexts kFxoIn{"Лиммит на входящий звонок для линии FXO не установлен!",
                            "Недопуcтимое значение лиммита на входящий звонок для линии FXO!"};
constexpr LimitTexts kFxsOut{"Лиммит на исходящий звонок для линии FXS не установлен!",
                             "Недопуcтимое значение лиммита на исходящий звонок для линии FXS!"};
constexpr LimitTexts kFxsIn{"Лиммит на входящий звонок для линии FXS не установлен!",
                            "Недопуcтимое значение лиммита на входящий звонок для линии FXS!"};

constexpr const char* kAccountOff = "Откл.";
constexpr int kRingCount = 99;

// Edit8: the routing number takes digits, "#", "*" and "P" (a pause).
bool TestRoutingKey(QChar key) {
    const char16_t c = key.unicode();
    return TestKey(key) || c == u'#' || c == u'*' || c == u'P';
}

// An index outside the box's list selects no item.
void Select(QComboBox* box, int item) {
    box->setCurrentIndex(item >= 0 && item < box->count() ? item : -1);
}

// The item a box stands at. A box that takes typed text counts only when its
// text is one of its items; other text selects nothing.
int ChosenItem(const QComboBox* box) {
    if (!box->isEditable()) {
        return box->currentIndex();
    }
    const int current = box->currentIndex();
    if (current >= 0 && box->itemText(current) == box->currentText()) {
        return current;
    }
    return box->findText(box->currentText(), Qt::MatchExactly);
}

// A whole number typed in a box; nothing when the text is not one.
std::optional<std::uint64_t> WholeNumber(const QString& text) {
    bool ok = false;
    const qulonglong value = text.trimmed().toULongLong(&ok, 10);
    return ok ? std::optional<std::uint64_t>(value) : std::nullopt;
}

// A currency amount typed in a box ("12", "12.50" or "12,50"); nothing when
// the text is not a number.
std::optional<double> Amount(const QString& text) {
    bool ok = false;
    QString normalised = text.trimmed();
    normalised.replace(u',', u'.');
    const double value = normalised.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

TForm2::TForm2(TData& image, RegistryStore& store, Operator& op, Hooks hooks, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TForm2>()),
      image_(image),
      store_(store),
      op_(op),
      hooks_(std::move(hooks)) {
    ui_->setupUi(this);
    subscriberPosition_.fill(-1);
    FormCreate();
}

TForm2::~TForm2() {
    FormDestroy();
}

void TForm2::SetFirmwareWindowOpener(std::function<void()> opener) {
    firmwareOpener_ = std::move(opener);
}

void TForm2::FormCreate() {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetUpControls();
    SetUpHelp();
    ConnectControls();
    ui_->CheckBox4->setChecked(LoadDeviceHelpEnable(store_));
    CheckBox4Click();
}

void TForm2::FormDestroy() {
    SaveDeviceHelpEnable(store_, ui_->CheckBox4->isChecked());
}

void TForm2::SetUpControls() {
    // "ОК" and "Отмена" are plain text, as in the program's other dialogs.
    // Enter in a field must not press one of the tabs' buttons.
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
    }
    for (int ring = 1; ring <= kRingCount; ++ring) {
        ui_->ComboBox5->addItem(QString::number(ring));
    }
    new KeyFilterValidator(&TestKey, 7, ui_->Edit5);
    for (QLineEdit* limit : {ui_->Edit3, ui_->Edit4, ui_->Edit6, ui_->Edit7}) {
        new KeyFilterValidator(&TestKey, 0, limit);
    }
    new KeyFilterValidator(&TestRoutingKey, 48, ui_->Edit8);
}

void TForm2::SetUpHelp() {
    using T = Form2HelpTexts::Topic;
    help_ = new DialogHelpPane(ui_->ListBox1, this);
    const auto bind = [this](T topic, const QList<QWidget*>& fields,
                             const QList<QWidget*>& labels = {}) {
        help_->Bind(Form2HelpTexts::Lines(topic), fields, labels);
    };
    bind(T::Edit5, {ui_->Edit5}, {ui_->Label3});
    bind(T::ComboBox12, {ui_->ComboBox12}, {ui_->Label4});
    bind(T::ComboBox13, {ui_->ComboBox13}, {ui_->Label5});
    bind(T::ComboBox2, {ui_->ComboBox2}, {ui_->Label14});
    bind(T::ComboBox1, {ui_->ComboBox1}, {ui_->Label15});
    bind(T::ComboBox3, {ui_->ComboBox3}, {ui_->Label16});
    bind(T::Edit3, {ui_->Edit3}, {ui_->Label9, ui_->Label45});
    bind(T::Edit4, {ui_->Edit4}, {ui_->Label11});
    bind(T::ComboBox6, {ui_->ComboBox6}, {ui_->Label8});
    bind(T::CheckBox1, {ui_->CheckBox1});
    bind(T::ComboBox5, {ui_->ComboBox5}, {ui_->Label7});
    bind(T::ComboBox7, {ui_->ComboBox7, ui_->ComboBox7->lineEdit()}, {ui_->Label13});
    bind(T::ComboBox17, {ui_->ComboBox17}, {ui_->Label25});
    bind(T::ComboBox18, {ui_->ComboBox18}, {ui_->Label26});
    bind(T::Edit6, {ui_->Edit6}, {ui_->Label20, ui_->Label46});
    bind(T::Edit7, {ui_->Edit7}, {ui_->Label22});
    // The "Caller ID" label shows the volume text, as it always has.
    bind(T::ComboBox11, {ui_->ComboBox11}, {ui_->Label19, ui_->Label24});
    bind(T::CheckBox5, {ui_->CheckBox5});
    bind(T::ComboBox8, {ui_->ComboBox8, ui_->ComboBox8->lineEdit()});
    bind(T::ComboBox9, {ui_->ComboBox9}, {ui_->Label28});
    bind(T::ComboBox10, {ui_->ComboBox10}, {ui_->Label29});
    bind(T::ComboBox14, {ui_->ComboBox14}, {ui_->Label30});
    bind(T::ComboBox15, {ui_->ComboBox15}, {ui_->Label31});
    bind(T::Edit8, {ui_->Edit8}, {ui_->Label32});
    bind(T::CheckBox3, {ui_->CheckBox3});
    bind(T::TrackBar1, {ui_->TrackBar1}, {ui_->Label33});
    // Every control of the account group shows the text of the whole group.
    QList<QWidget*> group{ui_->GroupBox4, ui_->CheckBox8, ui_->Edit9,
                          ui_->Edit10,    ui_->Edit11,    ui_->Edit12};
    for (QComboBox* box : {ui_->ComboBox16, ui_->ComboBox19, ui_->ComboBox21, ui_->ComboBox22}) {
        group << box << box->lineEdit();
    }
    bind(T::GroupBox4, group,
         {ui_->Label36, ui_->Label37, ui_->Label38, ui_->Label39, ui_->Label40, ui_->Label41,
          ui_->Label42, ui_->Label43, ui_->Label44});
}

template <typename Sender, typename Signal>
void TForm2::Bind(Sender* sender, Signal signal, void (TForm2::*handler)()) {
    connect(sender, signal, this,
            [this, handler] { GuardedCall(op_, [&] { (this->*handler)(); }); });
}

void TForm2::ConnectControls() {
    Bind(ui_->SpeedButton1, &QToolButton::clicked, &TForm2::SpeedButton1Click);
    Bind(ui_->SpeedButton2, &QToolButton::clicked, &TForm2::SpeedButton2Click);
    Bind(ui_->Button1, &QPushButton::clicked, &TForm2::Button1Click);
    Bind(ui_->Button2, &QPushButton::clicked, &TForm2::Button2Click);
    Bind(ui_->Button3, &QPushButton::clicked, &TForm2::Button3Click);
    Bind(ui_->Button4, &QPushButton::clicked, &TForm2::Button4Click);
    Bind(ui_->Button5, &QPushButton::clicked, &TForm2::Button5Click);
    Bind(ui_->Button6, &QPushButton::clicked, &TForm2::Button6Click);
    Bind(ui_->CheckBox4, &QCheckBox::clicked, &TForm2::CheckBox4Click);
    Bind(ui_->TrackBar1, &QSlider::valueChanged, &TForm2::TrackBar1Change);
    // PageControl1Change: another tab clears the help.
    connect(ui_->PageControl1, &QTabWidget::currentChanged, help_, &DialogHelpPane::Clear);
}

void TForm2::showEvent(QShowEvent* event) {
    GuardedCall(op_, [this] { FormShow(); });
    QDialog::showEvent(event);
}

void TForm2::FormShow() {
    FillSubscriberLists();
    ShowSettings();
    help_->Clear();
}

// Activated subscribers only, by name or, without one, by slot number.
void TForm2::FillSubscriberLists() {
    QComboBox* const mainBoxes[] = {ui_->ComboBox12, ui_->ComboBox13};
    QComboBox* const accountBoxes[] = {ui_->ComboBox16, ui_->ComboBox19, ui_->ComboBox21,
                                       ui_->ComboBox22};
    for (QComboBox* box : mainBoxes) {
        box->clear();
    }
    for (QComboBox* box : accountBoxes) {
        box->clear();
        box->addItem(QString::fromUtf8(kAccountOff));
    }
    positionSubscriber_.clear();
    subscriberPosition_.fill(-1);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        if (!image_.AbInfo(n).Activation()) {
            continue;
        }
        const std::string& name = image_.Name(n).AbFNS;
        const QString text = name.empty() ? QString::number(n) : FromCp1251(name);
        for (QComboBox* box : mainBoxes) {
            box->addItem(text);
        }
        for (QComboBox* box : accountBoxes) {
            box->addItem(text);
        }
        subscriberPosition_[static_cast<std::size_t>(n)] =
            static_cast<int>(positionSubscriber_.size());
        positionSubscriber_.push_back(n - 1);
    }
    for (QComboBox* box : mainBoxes) {
        box->setCurrentIndex(-1);
    }
}

// subscriber: number - 1; shift: 1 in the account boxes, whose first item is
// "Откл.". A subscriber not in the list selects no item (main boxes) or
// "Откл." (account boxes).
void TForm2::SelectSubscriber(QComboBox* box, int subscriber, int shift) {
    int position = -1;
    if (subscriber >= 0 && subscriber < TData::kSubscribers) {
        position = subscriberPosition_[static_cast<std::size_t>(subscriber + 1)];
    }
    if (shift == 0) {
        box->setCurrentIndex(position);
    } else {
        box->setCurrentIndex(position < 0 ? 0 : position + shift);
    }
}

int TForm2::MainSubscriberOf(const QComboBox* box) const {
    const int item = box->currentIndex();
    return item >= 0 && item < static_cast<int>(positionSubscriber_.size())
               ? positionSubscriber_[static_cast<std::size_t>(item)]
               : -1;
}

int TForm2::AccountSubscriberOf(const QComboBox* box) const {
    const int item = ChosenItem(box);
    return item >= 1 && item <= static_cast<int>(positionSubscriber_.size())
               ? positionSubscriber_[static_cast<std::size_t>(item - 1)]
               : -1;
}

void TForm2::ShowSettings() {
    KeyFilterValidator::SetText(ui_->Edit5, FromCp1251(image_.SettingPASSWORD().Password()));
    SelectSubscriber(ui_->ComboBox12, image_.SettingFXO().MAB(), 0);
    SelectSubscriber(ui_->ComboBox13, image_.SettingFXS().MAB(), 0);
    ShowLine();
    ShowGsm();
    ShowAccount();
}

void TForm2::ShowLine() {
    const ConstLineSettingRecord fxo = std::as_const(image_).SettingFXO();
    ui_->CheckBox1->setChecked(fxo.ForwardToMain());
    Select(ui_->ComboBox5, fxo.PR() - 1);
    Select(ui_->ComboBox6, fxo.VL());
    KeyFilterValidator::SetText(ui_->Edit3, QString::number(fxo.OUTLIM()));
    KeyFilterValidator::SetText(ui_->Edit4, QString::number(fxo.INLIM()));
    Select(ui_->ComboBox7, fxo.HLP() <= 2 ? fxo.HLP() : 1);
    Select(ui_->ComboBox2, fxo.OCM());
    Select(ui_->ComboBox1, fxo.PM());
    Select(ui_->ComboBox3, fxo.MLDM());
    Select(ui_->ComboBox4, fxo.LMDM() - 1);
    ui_->CheckBox2->setChecked(fxo.PreDialing());
    fxoHeld_ = AddSettingValues{};
    fxoHeld_.firstDigitTimeout = static_cast<std::uint8_t>(fxo.LMFT());
    fxoHeld_.interDigitTimeout = static_cast<std::uint8_t>(fxo.LMNT());
    fxoHeld_.echoDepth = fxo.EchoDepth();
    fxoHeld_.echoLength = fxo.EchoLength();
    fxoHeld_.flashTime = fxo.FlashTime();
    fxoHeld_.busyControl = fxo.BusyControl();

    const ConstLineSettingRecord fxs = std::as_const(image_).SettingFXS();
    ui_->CheckBox5->setChecked(fxs.ForwardToMain());
    Select(ui_->ComboBox11, fxs.VL());
    KeyFilterValidator::SetText(ui_->Edit6, QString::number(fxs.OUTLIM()));
    KeyFilterValidator::SetText(ui_->Edit7, QString::number(fxs.INLIM()));
    Select(ui_->ComboBox8, fxs.CallerID());
    Select(ui_->ComboBox17, fxs.OCM());
    Select(ui_->ComboBox18, fxs.PM());
    Select(ui_->ComboBox20, fxs.LMDM() - 1);
    ui_->CheckBox6->setChecked(fxs.PreDialing());
    fxsHeld_ = AddSettingValues{};
    fxsHeld_.firstDigitTimeout = static_cast<std::uint8_t>(fxs.LMFT());
    fxsHeld_.interDigitTimeout = static_cast<std::uint8_t>(fxs.LMNT());
    fxsHeld_.echoDepth = fxs.EchoDepth();
    fxsHeld_.echoLength = fxs.EchoLength();
    fxsHeld_.endSignal = fxs.EndSignal();
    fxsHeld_.endSignalTime = fxs.EndSignalTime();
    // The gateway counts the second ring timing from 2.
    fxsHeld_.ringTime1 = fxs.RingTime1();
    fxsHeld_.ringTime2 = static_cast<std::uint8_t>((fxs.PR() - 2) & 0x1F);
}

void TForm2::ShowGsm() {
    const ConstMobSettingRecord mob = std::as_const(image_).SettingMOB();
    Select(ui_->ComboBox9, mob.RM());
    Select(ui_->ComboBox10, mob.AutoHangup() ? 0 : 1);
    Select(ui_->ComboBox14, mob.NumberSuppression());
    Select(ui_->ComboBox15, mob.UnidentifiedNoAnswer() ? 1 : 0);
    ui_->CheckBox3->setChecked(mob.UnidentifiedCallBack());
    KeyFilterValidator::SetText(ui_->Edit8, FromCp1251(mob.RP()));
    ui_->TrackBar1->setValue(mob.DtmfTime());
    TrackBar1Change();
    ui_->CheckBox7->setChecked(!mob.NoPlusReplace());
}

void TForm2::ShowAccount() {
    const ConstControlAccountRecord account = std::as_const(image_).ControlAccount();
    ui_->CheckBox8->setChecked(account.AccountOn());
    ui_->Edit11->setText(QString::number(account.TO1()));
    ui_->Edit9->setText(FromCp1251(account.USSD()));
    ui_->Edit10->setText(FromCp1251(account.UNIT()));
    ui_->Edit12->setText(QString::number(account.AL()));
    QComboBox* const boxes[] = {ui_->ComboBox16, ui_->ComboBox19, ui_->ComboBox21, ui_->ComboBox22};
    for (int i = 0; i < ControlAccountRecord::kAccountSubscribers; ++i) {
        SelectSubscriber(boxes[i], account.AB(i), 1);
    }
}

void TForm2::StoreSettings() {
    // A main-subscriber box without a selection (no activated subscriber, or
    // the current one is not listed) keeps the line's main subscriber.
    if (const int fxoMain = MainSubscriberOf(ui_->ComboBox12); fxoMain >= 0) {
        image_.SettingFXO().SetMAB(static_cast<std::uint16_t>(fxoMain));
    }
    if (const int fxsMain = MainSubscriberOf(ui_->ComboBox13); fxsMain >= 0) {
        image_.SettingFXS().SetMAB(static_cast<std::uint16_t>(fxsMain));
    }
    image_.SettingPASSWORD().SetPassword(ToCp1251(ui_->Edit5->text()));
    StoreAccount();
    StoreFxo();
    StoreFxs();
    StoreGsm();
}

void TForm2::StoreAccount() {
    ControlAccountRecord account = image_.ControlAccount();
    QComboBox* const boxes[] = {ui_->ComboBox16, ui_->ComboBox19, ui_->ComboBox21, ui_->ComboBox22};
    for (int i = 0; i < ControlAccountRecord::kAccountSubscribers; ++i) {
        account.SetAB(i, static_cast<std::int16_t>(AccountSubscriberOf(boxes[i])));
    }
    account.SetAccountOn(ui_->CheckBox8->isChecked());
    account.SetUSSD(ToCp1251(ui_->Edit9->text()));
    account.SetUNIT(ToCp1251(ui_->Edit10->text()));
    // Numbers that do not fit their 16-bit fields are refused like text,
    // rather than stored cut to 16 bits.
    const std::optional<std::uint64_t> period = WholeNumber(ui_->Edit11->text());
    if (period && *period <= 0xFFFF) {
        account.SetTO1(static_cast<std::uint16_t>(*period));
    } else {
        op_.Error(kBadPeriod);
    }
    const std::optional<double> threshold = Amount(ui_->Edit12->text());
    if (threshold && *threshold >= 0 && *threshold < 65536) {
        account.SetAL(*threshold);
    } else {
        op_.Error(kBadThreshold);
    }
}

namespace {

// A line's time limit from its box: an empty box or text that is not a
// number keeps the record's value (the operator is told); the store keeps
// 65535 at most.
template <typename Setter>
void StoreLimit(const QLineEdit* edit, const LimitTexts& texts, Operator& op, Setter set) {
    if (edit->text().isEmpty()) {
        op.Message(texts.empty);
        return;
    }
    const std::optional<std::uint64_t> seconds = WholeNumber(edit->text());
    if (!seconds) {
        op.Error(texts.invalid);
        return;
    }
    set(static_cast<std::uint32_t>(std::min<std::uint64_t>(*seconds, 0xFFFFFFFFu)));
}

// The end-of-dialling boxes are never shown, so the operator cannot change
// them. A value they cannot show (0, or above 2), or the second item, which
// the record refuses, stays in the record: a hidden box must neither replace
// it nor stop every later field from being stored.
void StoreDialEnd(LineSettingRecord& line, const QComboBox* box) {
    if (box->currentIndex() == 0) {
        line.SetLMDM(1);
    }
}

}  // namespace

void TForm2::StoreFxo() {
    LineSettingRecord fxo = image_.SettingFXO();
    fxo.SetOCM(ui_->ComboBox2->currentIndex());
    fxo.SetPM(ui_->ComboBox1->currentIndex());
    fxo.SetMLDM(ui_->ComboBox3->currentIndex());
    StoreDialEnd(fxo, ui_->ComboBox4);
    const int volume = ui_->ComboBox6->currentIndex();
    fxo.SetVL(volume + 16 * volume);
    // A count the list cannot show (0, or above 99) stays as it is.
    if (const int rings = ui_->ComboBox5->currentIndex(); rings >= 0) {
        fxo.SetPR(static_cast<std::uint8_t>(rings + 1));
    }
    fxo.SetForwardToMain(ui_->CheckBox1->isChecked());
    fxo.SetPreDialing(ui_->CheckBox2->isChecked());
    fxo.SetBusyControl(fxoHeld_.busyControl);
    fxo.SetLMFT(fxoHeld_.firstDigitTimeout);
    fxo.SetLMNT(fxoHeld_.interDigitTimeout);
    fxo.SetEchoDepth(fxoHeld_.echoDepth);
    fxo.SetEchoLength(fxoHeld_.echoLength);
    fxo.SetFlashTime(fxoHeld_.flashTime);

    StoreLimit(ui_->Edit3, kFxoOut, op_, [&](std::uint32_t s) { fxo.SetOUTLIM(s); });
    StoreLimit(ui_->Edit4, kFxoIn, op_, [&](std::uint32_t s) { fxo.SetINLIM(s); });
    // Typed text that names no item keeps what the caller hears.
    if (const int hlp = ChosenItem(ui_->ComboBox7); hlp >= 0) {
        fxo.SetHLP(static_cast<unsigned>(hlp));
    }
}

void TForm2::StoreFxs() {
    LineSettingRecord fxs = image_.SettingFXS();
    fxs.SetOCM(ui_->ComboBox17->currentIndex());
    fxs.SetPM(ui_->ComboBox18->currentIndex());
    StoreDialEnd(fxs, ui_->ComboBox20);
    fxs.SetEndSignal(fxsHeld_.endSignal);
    fxs.SetEndSignalTime(fxsHeld_.endSignalTime);
    const int volume = ui_->ComboBox11->currentIndex();
    fxs.SetVL(volume + 16 * volume);
    fxs.SetPR(
        static_cast<std::uint8_t>(fxsHeld_.ringTime1 * 32 + ((fxsHeld_.ringTime2 + 2) & 0x1F)));
    fxs.SetForwardToMain(ui_->CheckBox5->isChecked());
    fxs.SetPreDialing(ui_->CheckBox6->isChecked());
    fxs.SetLMFT(fxsHeld_.firstDigitTimeout);
    fxs.SetLMNT(fxsHeld_.interDigitTimeout);
    fxs.SetEchoDepth(fxsHeld_.echoDepth);
    fxs.SetEchoLength(fxsHeld_.echoLength);

    image_.SettingMOB().SetNoPlusReplace(!ui_->CheckBox7->isChecked());
    StoreLimit(ui_->Edit6, kFxsOut, op_, [&](std::uint32_t s) { fxs.SetOUTLIM(s); });
    StoreLimit(ui_->Edit7, kFxsIn, op_, [&](std::uint32_t s) { fxs.SetINLIM(s); });
    // Typed text that names no item keeps the Caller ID mode.
    if (const int callerId = ChosenItem(ui_->ComboBox8); callerId >= 0) {
        fxs.SetCallerID(static_cast<unsigned>(callerId));
    }
}

void TForm2::StoreGsm() {
    MobSettingRecord mob = image_.SettingMOB();
    mob.SetRM(ui_->ComboBox9->currentIndex());
    // The flags byte is built afresh from the controls; a suppression mode
    // the list cannot show stays as it was.
    const int suppression = ui_->ComboBox14->currentIndex();
    const unsigned keptSuppression = mob.NumberSuppression();
    mob.SetFLAG(0);
    mob.SetNumberSuppression(suppression >= 0 ? static_cast<unsigned>(suppression)
                                              : keptSuppression);
    mob.SetAutoHangup(ui_->ComboBox10->currentIndex() == 0);
    mob.SetUnidentifiedCallBack(ui_->CheckBox3->isChecked());
    mob.SetUnidentifiedNoAnswer((ui_->ComboBox15->currentIndex() & 1) != 0);
    mob.SetRP(ToCp1251(ui_->Edit8->text()));
    mob.SetDtmfTime(static_cast<unsigned>(ui_->TrackBar1->value()));
}

void TForm2::SpeedButton1Click() {
    if (ui_->Edit5->text().isEmpty()) {
        KeyFilterValidator::SetText(ui_->Edit5, QString::fromUtf8(kDefaultPassword));
        throw RecordError(kEmptyPassword);
    }
    StoreSettings();
    accept();
}

void TForm2::SpeedButton2Click() {
    ShowSettings();
    reject();
}

void TForm2::Button1Click() {
    TFXOAddSetting::Edit(this, TFXOAddSetting::Variant::Fxo, fxoHeld_);
}

void TForm2::Button2Click() {
    TFXOAddSetting::Edit(this, TFXOAddSetting::Variant::Fxs, fxsHeld_);
}

void TForm2::Button3Click() {
    if (hooks_.openPinCode) {
        hooks_.openPinCode();
    }
}

void TForm2::Button4Click() {
    if (hooks_.openDevName) {
        hooks_.openDevName();
    }
}

void TForm2::Button5Click() {
    if (firmwareOpener_) {
        firmwareOpener_();
    }
}

void TForm2::Button6Click() {
    if (hooks_.openTotalLimit) {
        hooks_.openTotalLimit();
    }
}

void TForm2::CheckBox4Click() {
    ScreenFit::FixSize(
        *this, {kWidth, ui_->CheckBox4->isChecked() ? kHeightWithHelp : kHeightWithoutHelp});
}

void TForm2::TrackBar1Change() {
    ui_->Label35->setText(QString::number(ui_->TrackBar1->value() * 100 + 100) +
                          QStringLiteral(" мс"));
}

}  // namespace tulvo
