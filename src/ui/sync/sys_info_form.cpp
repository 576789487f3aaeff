#include "sync/sys_info_form.h"

#include <QLayout>
#include <QShowEvent>
#include <array>
#include <cstdint>

#include "link/port_most.h"
#include "link/sys_info.h"
#include "model/cp1251.h"
#include "model/operator.h"
#include "sync/port_session.h"
#include "ui_sys_info_form.h"

namespace tulvo {
namespace {

constexpr int kFirstQueryMs = 100;
constexpr int kPollMs = 500;

QString FromCp1251(const std::string& text) {
    return QString::fromStdString(Cp1251ToUtf8(text));
}

}  // namespace

TTSysInfoForm::TTSysInfoForm(QWidget* owner, TPortMost& port, Operator& op)
    : QDialog(owner), ui_(std::make_unique<Ui::TTSysInfoForm>()), port_(port), op_(op) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    timer1_.setParent(this);  // a member: destroyed before the dialog, which it leaves then
    timer1_.setObjectName("Timer1");
    connect(&timer1_, &QTimer::timeout, this, &TTSysInfoForm::Timer1Timer);
}

TTSysInfoForm::~TTSysInfoForm() = default;

void TTSysInfoForm::IMEI1Click(QWidget* owner, const DeviceAccess& device) {
    PortSession session(device);
    if (!session.IsOpen()) {
        return;
    }
    TTSysInfoForm form(owner, device.port, device.op);
    form.exec();
}

void TTSysInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TTSysInfoForm::FormShow() {
    timer1_.start(kFirstQueryMs);
}

void TTSysInfoForm::Timer1Timer() {
    if (!isVisible()) {
        return;
    }
    if (timer1_.interval() != kPollMs) {
        timer1_.setInterval(kPollMs);
    }
    std::array<std::uint8_t, TPortMost::kMaxPayload + 1> data{};
    std::uint8_t status = 0xFF;
    const bool ok = port_.ReadSysInfo(data, status);
    if (!ok || status != 0) {
        timer1_.stop();
        op_.Message("Ошибка при чтении данных!");
        close();
        return;
    }
    const SysInfo info = SysInfo::Parse(std::span(data).first(SysInfo::kSize));
    ui_->Label2->setText(FromCp1251(info.firmware));
    ui_->Label4->setText(FromCp1251(info.imei));
    ui_->ProgressBar1->setValue(info.signal);
    ui_->Label6->setText(QString::number(info.signal));
    ui_->Label8->setText(QString::fromStdString(info.BootloaderText()));
}

}  // namespace tulvo
