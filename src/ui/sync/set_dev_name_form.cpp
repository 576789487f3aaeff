#include "ui/sync/set_dev_name_form.h"

#include <array>
#include <cstdint>

#include "actions/gateway_actions.h"
#include "model/operator.h"
#include "ui/cp1251_text.h"
#include "ui_set_dev_name_form.h"

namespace tulvo {
TSetDevNameForm::TSetDevNameForm(const DeviceAccess& device, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TSetDevNameForm>()), device_(device) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TSetDevNameForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TSetDevNameForm::BitBtn2Click);
}

TSetDevNameForm::~TSetDevNameForm() = default;

void TSetDevNameForm::EditIdentifier(QWidget* owner, const DeviceAccess& device) {
    TSetDevNameForm form(device, owner);
    form.exec();
}

void TSetDevNameForm::BitBtn1Click() {
    const std::string name = ToCp1251(ui_->Edit1->text());
    if (GatewayActions(device_).WriteDevName(name, [this] { hide(); })) {
        accept();
    }
}

void TSetDevNameForm::BitBtn2Click() {
    GatewayActions(device_).ReadDevName(
        [this](const std::string& name) { ui_->Edit1->setText(FromCp1251(name)); });
}

}  // namespace tulvo
