#include "ui/sync/form14.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <algorithm>

#include "actions/firmware_update.h"
#include "model/operator_texts.h"
#include "ui/guarded_call.h"
#include "ui/poll_intervals.h"
#include "ui/shutdown_gate.h"
#include "ui/sync/read_write_data.h"
#include "ui_form14.h"

namespace tulvo {
namespace {

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

TForm14::TForm14(const DeviceAccess& device, QWidget* owner)
    : QDialog(owner),
      ui_(std::make_unique<Ui::TForm14>()),
      device_(device),
      boxes_(device.op, this) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    auto guarded = [this](void (TForm14::*handler)()) {
        return
            [this, handler] { GuardedCall(device_.op, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, guarded(&TForm14::SpeedButton1Click));
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, guarded(&TForm14::SpeedButton2Click));
    connect(ui_->BitBtn1, &QPushButton::clicked, this, guarded(&TForm14::BitBtn1Click));
}

TForm14::~TForm14() = default;

void TForm14::Open(QWidget* owner, const DeviceAccess& device, ShutdownGate* gate) {
    TForm14 form(device, owner);
    form.SetShutdownGate(gate);
    form.exec();
}

QString TForm14::ChooseFile() {
    if (pathChooser_) {
        return pathChooser_();
    }
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void TForm14::SpeedButton1Click() {
    const QString path = ChooseFile();
    if (!path.isEmpty()) {
        programFile_ = path;
        ui_->Edit1->setText(path);
    }
}

void TForm14::SpeedButton2Click() {
    const QString path = ChooseFile();
    if (!path.isEmpty()) {
        voiceFile_ = path;
        ui_->Edit2->setText(path);
    }
}

void TForm14::BitBtn1Click() {
    if (updating_) {
        return;
    }
    FirmwareUpdate update(device_);
    update_ = &update;
    closeWhenDone_ = false;
    SetUpdating(true);
    if (gate_ != nullptr) {
        gate_->Claim([this] { StopUpdate(); });
    }
    FirmwareUpdate::Outcome outcome;
    {
        struct Release {
            TForm14* form;
            ~Release() {
                form->update_ = nullptr;
                form->SetUpdating(false);
            }
        } release{this};
        const FirmwareUpdate::Files files{LocalPath(programFile_), LocalPath(voiceFile_)};
        outcome = update.Run(files, [this](const GatewayActions::Job& job) { return RunJob(job); });
    }
    ui_->Label3->setText(outcome.stopped ? QString::fromUtf8(texts::kFirmwareStopped) : QString());
    // A quit asked for meanwhile happens now.
    if (gate_ != nullptr) {
        gate_->Release();
    }
    if (closeWhenDone_) {
        QDialog::reject();
    }
}

void TForm14::ShowProgress() {
    if (update_ == nullptr) {
        return;
    }
    const FirmwareProgress& progress = update_->Progress();
    // A range of 0..0 would turn the bar into a busy indicator.
    ui_->ProgressBar1->setMaximum(std::max(1, progress.Blocks()));
    ui_->ProgressBar1->setValue(progress.Sent());
    ui_->Label3->setText(QString::fromStdString(progress.Text()));
}

bool TForm14::StopUpdate() {
    if (update_ == nullptr) {
        return true;
    }
    if (asking_) {
        return false;  // the question is open already
    }
    const FirmwareProgress& progress = update_->Progress();
    const std::string warning = progress.StopWarning();
    if (!progress.StopRequested() && !warning.empty()) {
        asking_ = true;
        const bool stop = device_.op.AskYesNo(warning + " " + texts::kAskStopFirmware);
        asking_ = false;
        if (!stop) {
            return false;
        }
    }
    update_->Progress().RequestStop();
    return true;
}

void TForm14::CloseWhenDone() {
    if (StopUpdate()) {
        closeWhenDone_ = true;
    }
}

bool TForm14::RunJob(const GatewayActions::Job& job) {
    TReadWriteData thread(job, device_.op);
    auto show = [this] { ShowProgress(); };
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(kProgressRefreshMs);
    connect(&timer, &QTimer::timeout, &loop, [&] {
        show();
        if (thread.Done()) {
            loop.quit();
        }
    });
    connect(&thread, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    show();
    timer.start();
    thread.start();
    loop.exec();
    // The loop also ends when the application quits; the upload still owns
    // the port until it ends, and its messages need this thread meanwhile.
    thread.ServeEventsUntilDone();
    show();
    return thread.Success();
}

void TForm14::SetUpdating(bool updating) {
    updating_ = updating;
    ui_->BitBtn1->setEnabled(!updating);
    ui_->SpeedButton1->setEnabled(!updating);
    ui_->SpeedButton2->setEnabled(!updating);
}

void TForm14::closeEvent(QCloseEvent* event) {
    if (updating_) {
        event->ignore();
        CloseWhenDone();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm14::reject() {
    if (updating_) {
        CloseWhenDone();
        return;
    }
    QDialog::reject();
}

}  // namespace tulvo
