#include "ui/dialogs/fxo_add_setting.h"

#include <QComboBox>
#include <QLayout>
#include <cstdlib>

#include "ui_fxo_add_setting.h"

namespace tulvo {
namespace {

const char* const kFlashTexts[] = {"200", "300", "500", "700"};
const char* const kEndSignalTexts[] = {"250 мс", "500 мс", "1000 мс", "2000 мс"};

QString TextAt(const char* const (&texts)[4], int position) {
    return position >= 0 && position < 4 ? QString::fromUtf8(texts[position]) : QString();
}

// The item index of a combo box, or `passedIn` when no item is selected
// (a value out of the list's range was shown): what the operator did not
// choose goes back as it came.
std::uint8_t ItemOr(const QComboBox* box, std::uint8_t passedIn) {
    const int item = box->currentIndex();
    return item >= 0 ? static_cast<std::uint8_t>(item) : passedIn;
}

std::uint8_t TableValueOr(const QComboBox* box, std::span<const int> table, std::uint8_t passedIn) {
    const int item = box->currentIndex();
    return item >= 0 && item < static_cast<int>(table.size())
               ? static_cast<std::uint8_t>(table[static_cast<std::size_t>(item)])
               : passedIn;
}

// An index that selects no item when it is outside the box's list.
void SelectItem(QComboBox* box, int item) {
    box->setCurrentIndex(item < box->count() ? item : -1);
}

// Copies the values the dialog of one variant shows and edits; the other
// variant's values in `to` stay as they are.
void CopyShownValues(const AddSettingValues& from, AddSettingValues& to, bool fxo) {
    to.firstDigitTimeout = from.firstDigitTimeout;
    to.interDigitTimeout = from.interDigitTimeout;
    to.echoDepth = from.echoDepth;
    to.echoLength = from.echoLength;
    if (fxo) {
        to.flashTime = from.flashTime;
        to.busyControl = from.busyControl;
    } else {
        to.ringTime1 = from.ringTime1;
        to.ringTime2 = from.ringTime2;
        to.endSignal = from.endSignal;
        to.endSignalTime = from.endSignalTime;
    }
}

}  // namespace

TFXOAddSetting::TFXOAddSetting(QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TFXOAddSetting>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TFXOAddSetting::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->TrackBar1, &QSlider::valueChanged, this, &TFXOAddSetting::TrackBar1Change);
    connect(ui_->TrackBar2, &QSlider::valueChanged, this, &TFXOAddSetting::TrackBar2Change);
    connect(ui_->TrackBar3, &QSlider::valueChanged, this, &TFXOAddSetting::TrackBar3Change);
    connect(ui_->TrackBar4, &QSlider::valueChanged, this, &TFXOAddSetting::TrackBar4Change);
    SetVariant(Variant::Fxo);
}

TFXOAddSetting::~TFXOAddSetting() = default;

void TFXOAddSetting::SetVariant(Variant variant) {
    const bool fxo = variant == Variant::Fxo;
    setWindowTitle(fxo ? QStringLiteral("FXO Дополнительные установки")
                       : QStringLiteral("FXS Дополнительные настройки"));
    // On the FXO line the flash group lies over the two ring timings, so the
    // flash setting is what the operator sees.
    ui_->GroupBox4->setVisible(fxo);
    ui_->RingPanel->setVisible(!fxo);
    ui_->GroupBox5->setVisible(!fxo);
    ui_->CheckBox1->setVisible(fxo);
}

void TFXOAddSetting::SetValues(const AddSettingValues& values) {
    values_ = values;
}

int TFXOAddSetting::NearestItem(std::span<const int> table, int value) {
    int best = 0;
    for (int i = 1; i < static_cast<int>(table.size()); ++i) {
        if (std::abs(table[static_cast<std::size_t>(i)] - value) <
            std::abs(table[static_cast<std::size_t>(best)] - value)) {
            best = i;
        }
    }
    return best;
}

void TFXOAddSetting::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TFXOAddSetting::FormShow() {
    ui_->ComboBox1->setCurrentIndex(NearestItem(kFirstDigitTimeouts, values_.firstDigitTimeout));
    ui_->ComboBox2->setCurrentIndex(NearestItem(kInterDigitTimeouts, values_.interDigitTimeout));
    ui_->TrackBar1->setValue(values_.echoDepth);
    ui_->TrackBar2->setValue(values_.echoLength);
    TrackBar1Change(ui_->TrackBar1->value());
    TrackBar2Change(ui_->TrackBar2->value());
    SelectItem(ui_->ComboBox3, values_.ringTime1);
    SelectItem(ui_->ComboBox4, values_.ringTime2);
    ui_->CheckBox1->setChecked(values_.busyControl);
    ui_->TrackBar3->setValue(values_.flashTime);
    TrackBar3Change(ui_->TrackBar3->value());
    SelectItem(ui_->ComboBox5, values_.endSignal);
    ui_->TrackBar4->setValue(values_.endSignalTime);
    TrackBar4Change(ui_->TrackBar4->value());
}

void TFXOAddSetting::BitBtn1Click() {
    AddSettingValues taken = values_;
    taken.firstDigitTimeout =
        TableValueOr(ui_->ComboBox1, kFirstDigitTimeouts, values_.firstDigitTimeout);
    taken.interDigitTimeout =
        TableValueOr(ui_->ComboBox2, kInterDigitTimeouts, values_.interDigitTimeout);
    taken.echoDepth = static_cast<std::uint8_t>(ui_->TrackBar1->value());
    taken.echoLength = static_cast<std::uint8_t>(ui_->TrackBar2->value());
    taken.ringTime1 = ItemOr(ui_->ComboBox3, values_.ringTime1);
    taken.ringTime2 = ItemOr(ui_->ComboBox4, values_.ringTime2);
    taken.busyControl = ui_->CheckBox1->isChecked();
    taken.flashTime = static_cast<std::uint8_t>(ui_->TrackBar3->value());
    taken.endSignal = ItemOr(ui_->ComboBox5, values_.endSignal);
    taken.endSignalTime = static_cast<std::uint8_t>(ui_->TrackBar4->value());
    values_ = taken;
    accept();
}

void TFXOAddSetting::TrackBar1Change(int position) {
    ui_->Label10->setText(QString::number(position + 1));
}

void TFXOAddSetting::TrackBar2Change(int position) {
    ui_->Label11->setText(QString::number(position + 1));
}

void TFXOAddSetting::TrackBar3Change(int position) {
    ui_->Label12->setText(TextAt(kFlashTexts, position));
}

void TFXOAddSetting::TrackBar4Change(int position) {
    ui_->Label15->setText(TextAt(kEndSignalTexts, position));
}

bool TFXOAddSetting::Edit(QWidget* owner, Variant variant, AddSettingValues& held) {
    const bool fxo = variant == Variant::Fxo;
    AddSettingValues in;
    CopyShownValues(held, in, fxo);
    TFXOAddSetting dialog(owner);
    dialog.SetVariant(variant);
    dialog.SetValues(in);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    CopyShownValues(dialog.Values(), held, fxo);
    return true;
}

}  // namespace tulvo
