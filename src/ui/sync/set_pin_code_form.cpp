#include "ui/sync/set_pin_code_form.h"

#include <QKeyEvent>
#include <QLayout>
#include <QRegularExpressionValidator>
#include <cstdint>

#include "actions/gateway_actions.h"
#include "model/operator.h"
#include "sync/pin_code.h"
#include "ui_set_pin_code_form.h"

namespace tulvo {

TSetPinCodeForm::TSetPinCodeForm(const DeviceAccess& device, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TSetPinCodeForm>()), device_(device) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    ui_->Edit1->installEventFilter(this);
    // Pasted text bypasses the key filter.
    ui_->Edit1->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]{0,4}"), ui_->Edit1));
    connect(ui_->Button1, &QPushButton::clicked, this, &TSetPinCodeForm::Button1Click);
}

TSetPinCodeForm::~TSetPinCodeForm() = default;

void TSetPinCodeForm::EnterPin(QWidget* owner, const DeviceAccess& device) {
    TSetPinCodeForm form(device, owner);
    form.exec();
}

// Edit1KeyPress: editing and confirming keys pass; a digit passes only while
// the field holds fewer than four characters; every other typed character is
// discarded.
bool TSetPinCodeForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui_->Edit1 || event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint()) {
        return false;  // backspace, Enter, Escape, cursor keys
    }
    const bool digit = text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9';
    const bool room = ui_->Edit1->text().size() < static_cast<int>(PinCode::kMaxLength);
    return !(digit && room);
}

void TSetPinCodeForm::Button1Click() {
    if (GatewayActions(device_).WritePinCode(ui_->Edit1->text().toStdString(),
                                             [this] { hide(); })) {
        accept();
    }
}

}  // namespace tulvo
