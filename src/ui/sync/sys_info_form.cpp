#include "ui/sync/sys_info_form.h"

#include <QLayout>
#include <QShowEvent>
#include <array>
#include <cstdint>

#include "actions/gateway_actions.h"
#include "actions/port_session.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "sync/sys_info.h"
#include "ui/busy_cursor.h"
#include "ui/cp1251_text.h"
#include "ui/poll_intervals.h"
#include "ui_sys_info_form.h"

namespace tulvo {
namespace {

constexpr int kFirstQueryMs = 100;

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

void TTSysInfoForm::ShowDeviceInformation(QWidget* owner, const DeviceAccess& device) {
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
    // The first query shows the busy cursor while it waits; the polls after
    // it would only make the cursor flicker.
    std::optional<BusyCursor> busy;
    if (timer1_.interval() != kPollMs) {
        timer1_.setInterval(kPollMs);
        busy.emplace();
    }
    const std::optional<SysInfo> read = GatewayActions::QuerySysInfo(port_);
    busy.reset();
    if (!read) {
        timer1_.stop();
        op_.Message(texts::kReadDataError);
        close();
        return;
    }
    const SysInfo& info = *read;
    ui_->Label2->setText(FromCp1251(info.firmware));
    ui_->Label4->setText(FromCp1251(info.imei));
    ui_->ProgressBar1->setValue(info.signal);
    ui_->Label6->setText(QString::number(info.signal));
    ui_->Label8->setText(QString::fromStdString(info.BootloaderText()));
}

}  // namespace tulvo
