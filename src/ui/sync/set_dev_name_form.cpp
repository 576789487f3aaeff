#include "sync/set_dev_name_form.h"

#include <array>
#include <cstdint>

#include "link/dev_name.h"
#include "link/port_most.h"
#include "model/cp1251.h"
#include "model/operator.h"
#include "sync/port_session.h"
#include "ui_set_dev_name_form.h"

namespace tulvo {
namespace {

constexpr const char* kLinkError = "Ошибка связи с устройством";

}  // namespace

TSetDevNameForm::TSetDevNameForm(const DeviceAccess& device, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TSetDevNameForm>()), device_(device) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TSetDevNameForm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TSetDevNameForm::BitBtn2Click);
}

TSetDevNameForm::~TSetDevNameForm() = default;

void TSetDevNameForm::N09Click(QWidget* owner, const DeviceAccess& device) {
    TSetDevNameForm form(device, owner);
    form.exec();
}

void TSetDevNameForm::BitBtn1Click() {
    PortSession session(device_);
    if (!session.IsOpen()) {
        return;
    }
    DevName::Payload payload = DevName::Build(Utf8ToCp1251(ui_->Edit1->text().toStdString()));
    std::uint8_t status = 0xFF;
    if (!device_.port.WriteDevName(payload, status) || status != 0) {
        device_.op.Message(kLinkError);
        return;
    }
    hide();
    device_.op.Message("Идентификатор записан");
    accept();
}

void TSetDevNameForm::BitBtn2Click() {
    PortSession session(device_);
    if (!session.IsOpen()) {
        return;
    }
    std::array<std::uint8_t, TPortMost::kMaxPayload + 1> data{};
    const DevName::Payload empty = DevName::Build("");
    std::copy(empty.begin(), empty.end(), data.begin());
    std::uint8_t status = 0xFF;
    if (!device_.port.ReadDevName(data, status) || status != 0) {
        device_.op.Message(kLinkError);
        return;
    }
    const std::string name = DevName::Parse(std::span(data).first(DevName::kSize));
    ui_->Edit1->setText(QString::fromStdString(Cp1251ToUtf8(name)));
    device_.op.Message("Чтение завершено");
}

}  // namespace tulvo
