#include "ui/sync/form12.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "actions/gateway_actions.h"
#include "model/operator.h"
#include "ui/busy_cursor.h"
#include "ui_form12.h"

namespace tulvo {
namespace {

constexpr std::uint32_t kSecondsPerMinute = 60;

// Minutes typed into a field, as seconds. Nothing when the text is not a
// whole number of minutes that fits the block's 32-bit seconds.
std::optional<std::uint32_t> MinutesToSeconds(const QString& text) {
    bool ok = false;
    const qulonglong minutes = text.trimmed().toULongLong(&ok, 10);
    if (!ok || minutes > std::numeric_limits<std::uint32_t>::max() / kSecondsPerMinute) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(minutes) * kSecondsPerMinute;
}

std::string NotAWholeNumber(const QString& text) {
    return QStringLiteral("'%1' не является допустимым целым числом").arg(text).toStdString();
}

}  // namespace

TForm12::TForm12(const DeviceAccess& device, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm12>()), device_(device) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(ui_->SpeedButton18, &QToolButton::clicked, this, &TForm12::SpeedButton18Click);
    connect(ui_->SpeedButton19, &QToolButton::clicked, this, &TForm12::SpeedButton19Click);
}

TForm12::~TForm12() = default;

void TForm12::SpeedButton18Click() {
    BusyCursor busy;
    GatewayActions(device_).ReadTotalLimit(limit_, [this] {
        ui_->CheckBox1->setChecked(limit_.Enabled());
        ui_->Edit2->setText(QString::number(limit_.Threshold() / kSecondsPerMinute));
        const std::uint32_t left = limit_.TimeLeft();
        ui_->Edit3->setText(QString::number(left / kSecondsPerMinute) + " мин " +
                            QString::number(left % kSecondsPerMinute) + " сек");
    });
}

void TForm12::SpeedButton19Click() {
    // Both numbers are checked before the port is opened, so a refused entry
    // sends nothing and leaves no port open.
    // The threshold is taken before the new limit, so its error comes first.
    const std::optional<std::uint32_t> threshold = MinutesToSeconds(ui_->Edit2->text());
    if (!threshold) {
        device_.op.Error(NotAWholeNumber(ui_->Edit2->text()));
        return;
    }
    const std::optional<std::uint32_t> limit = MinutesToSeconds(ui_->Edit1->text());
    if (!limit) {
        device_.op.Error(NotAWholeNumber(ui_->Edit1->text()));
        return;
    }
    BusyCursor busy;
    GatewayActions(device_).WriteTotalLimit(limit_, ui_->CheckBox1->isChecked(), *limit,
                                            *threshold);
}

}  // namespace tulvo
