#include "ui/sync/acount_ctrl.h"

#include <QLayout>
#include <QLocale>
#include <QShowEvent>
#include <array>

#include "actions/gateway_actions.h"
#include "actions/port_session.h"
#include "ui_acount_ctrl.h"

namespace tulvo {
namespace {

constexpr std::int64_t kUnit = 10000;  // amounts carry four decimal places

}  // namespace

TAcountCtrl::TAcountCtrl(const DeviceAccess& device, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TAcountCtrl>()), device_(device) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

TAcountCtrl::~TAcountCtrl() = default;

void TAcountCtrl::ShowBalance() {
    PortSession session(device_);
    if (!session.IsOpen()) {
        return;
    }
    exec();
}

QString TAcountCtrl::FormatAmount(std::int64_t amount) {
    const bool negative = amount < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(amount) : static_cast<std::uint64_t>(amount);
    QString text = QString::number(magnitude / kUnit);
    QString fraction = QString::number(magnitude % kUnit).rightJustified(4, u'0');
    while (fraction.endsWith(u'0')) {
        fraction.chop(1);
    }
    if (!fraction.isEmpty()) {
        text += QLocale().decimalPoint() + fraction;
    }
    return negative ? u'-' + text : text;
}

void TAcountCtrl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

// The balance is read on every show; a failed read shows 0 without a message.
void TAcountCtrl::FormShow() {
    ui_->Label2->setText(FormatAmount(GatewayActions::QueryAccountBalance(device_.port)));
}

}  // namespace tulvo
