#include "ui/sync/form10.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShowEvent>

#include "actions/gateway_actions.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "sync/transfer_stage_text.h"
#include "ui/poll_intervals.h"
#include "ui/sync/read_data.h"
#include "ui/sync/write_data.h"
#include "ui_form10.h"

namespace tulvo {
namespace {

// Shows the progress window over the thread until the thread has finished.
// True when the transfer succeeded.
bool RunTransfer(QWidget* owner, TReadWriteData& thread, const QString& caption) {
    bool result = false;
    {
        TForm10 form(owner, thread);
        form.setWindowTitle(caption);
        form.exec();
        result = form.Result();
    }
    // The modal run can end early only when the application is quitting.
    // When that happened before the window was shown, nothing was started;
    // otherwise the transfer still owns the port and the image until it
    // ends, and its operator calls may need this thread, so keep serving
    // events meanwhile.
    if (!thread.isRunning() && !thread.isFinished()) {
        return false;
    }
    thread.ServeEventsUntilDone();
    return result && thread.Success();
}

}  // namespace

TForm10::TForm10(QWidget* owner, TReadWriteData& thread)
    : QDialog(owner), ui_(std::make_unique<Ui::TForm10>()), thread_(thread) {
    ui_->setupUi(this);
    // No border icons: the window closes when the transfer has ended;
    // "Прервать" asks it to end early.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // Room for the longest stage text at any font size, and no growing or
    // shrinking as the text changes.
    ui_->Label1->setText(QString::fromUtf8(
        TransferStageText({TransferProgress::Stage::BlackList, 186, 186}).c_str()));
    setFixedSize(sizeHint().expandedTo(size()));
    ui_->Label1->clear();
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    timer1_.setParent(this);  // a member: destroyed before the dialog, which it leaves then
    timer1_.setObjectName("Timer1");
    timer1_.setInterval(kPollMs);
    connect(&timer1_, &QTimer::timeout, this, &TForm10::Timer1Timer);
    timer1_.start();
}

TForm10::~TForm10() = default;

void TForm10::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !thread_.isRunning() && !thread_.Done()) {
        FormShow();
    }
}

void TForm10::FormShow() {
    ui_->ProgressBar1->setMaximum(thread_.Progress().Maximum());
    ui_->ProgressBar1->setValue(0);
    thread_.start();
}

void TForm10::Timer1Timer() {
    ui_->ProgressBar1->setValue(thread_.Progress().Position());
    ShowStage();
    if (!thread_.Done()) {
        return;
    }
    timer1_.stop();
    result_ = thread_.Success();
    done_ = true;
    done(QDialog::Accepted);
}

void TForm10::ShowStage() {
    if (!stopping_) {
        ui_->Label1->setText(
            QString::fromStdString(TransferStageText(thread_.Progress().CurrentStage())));
    }
}

// The transaction under way is finished first, so the gateway is never left
// in the middle of one; a silent gateway can take its time-outs to get there.
void TForm10::Button1Click() {
    stopping_ = true;
    thread_.RequestStop();
    ui_->Button1->setEnabled(false);
    ui_->Label1->setText(QString::fromUtf8(texts::kStopping));
}

void TForm10::closeEvent(QCloseEvent* event) {
    if (done_) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

void TForm10::reject() {
    if (done_) {
        QDialog::reject();
    }
}

bool TForm10::ReadEverything(QWidget* owner, ReadTarget target, const DeviceAccess& device,
                             const std::function<void()>& afterRead, bool verify) {
    const GatewayActions::TransferOutcome outcome = GatewayActions(device).ReadImage(
        target.image,
        [&](const GatewayActions::Job& job) {
            TReadData thread(job, device.op);
            return RunTransfer(owner, thread, texts::kReadCaption);
        },
        verify);
    if (!outcome.opened) {
        return false;
    }
    // A read that stopped early still keeps and shows what it had read; a
    // whole read is saved whole, so the store mirrors the gateway.
    const bool saved = outcome.transferred ? SaveReadImage(target.image, target.store)
                                           : SaveSubscribers(target.image, target.store, 0);
    if (afterRead) {
        afterRead();
    }
    // An unusable store was told at start-up and is never written.
    if (!saved && target.store.Usable()) {
        device.op.ErrorWithDetail(
            "Невозможно сохранить настройки в файл " + target.store.Path() + "!",
            target.store.LastError());
    } else if (outcome.stopped) {
        device.op.Message(texts::kReadStopped);
    }
    return outcome.transferred;
}

bool TForm10::WriteEverything(QWidget* owner, TData& image, const DeviceAccess& device) {
    const GatewayActions::TransferOutcome outcome =
        GatewayActions(device).WriteImage(image, [&](const GatewayActions::Job& job) {
            TWriteData thread(job, device.op);
            return RunTransfer(owner, thread, texts::kWriteCaption);
        });
    if (outcome.stopped) {
        device.op.Message(texts::kWriteStopped);
    }
    return outcome.transferred;
}

}  // namespace tulvo
