#include "ui/sync/form14.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QTimer>
#include <algorithm>

#include "actions/firmware_update.h"
#include "ui/guarded_call.h"
#include "ui/qt_operator.h"
#include "ui/sync/read_write_data.h"
#include "ui_form14.h"

namespace tulvo {
namespace {

constexpr int kPollMs = 100;

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

TForm14::TForm14(const DeviceAccess& device, QWidget* owner)
    : QDialog(owner), ui_(std::make_unique<Ui::TForm14>()), device_(device) {
    ui_->setupUi(this);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    auto guarded = [this](void (TForm14::*handler)()) {
        return
            [this, handler] { GuardedCall(device_.op, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->SpeedButton1, &QToolButton::clicked, this, guarded(&TForm14::SpeedButton1Click));
    connect(ui_->SpeedButton2, &QToolButton::clicked, this, guarded(&TForm14::SpeedButton2Click));
    connect(ui_->BitBtn1, &QPushButton::clicked, this, guarded(&TForm14::BitBtn1Click));
    // The update's messages are centred on this window, over the dialogs
    // behind it, while it lives.
    if (auto* boxes = dynamic_cast<QtOperator*>(&device_.op)) {
        boxOwner_ = boxes->ParentWindow();
        boxes->SetParentWindow(this);
    }
}

TForm14::~TForm14() {
    if (auto* boxes = dynamic_cast<QtOperator*>(&device_.op)) {
        boxes->SetParentWindow(boxOwner_);
    }
}

void TForm14::Open(QWidget* owner, const DeviceAccess& device) {
    TForm14 form(device, owner);
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
    SetUpdating(true);
    struct Release {
        TForm14* form;
        ~Release() { form->SetUpdating(false); }
    } release{this};
    const FirmwareUpdate::Files files{LocalPath(programFile_), LocalPath(voiceFile_)};
    FirmwareUpdate(device_).Run(files,
                                [this](const GatewayActions::Job& job) { return RunJob(job); });
}

bool TForm14::RunJob(const GatewayActions::Job& job) {
    TReadWriteData thread(job, device_.op);
    auto show = [this, &thread] {
        // A range of 0..0 would turn the bar into a busy indicator.
        ui_->ProgressBar1->setMaximum(std::max(1, thread.Progress().Maximum()));
        ui_->ProgressBar1->setValue(thread.Progress().Position());
    };
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(kPollMs);
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
    while (!thread.Done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs / 5);
        thread.wait(kPollMs / 5);
    }
    thread.wait();
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
        return;
    }
    QDialog::closeEvent(event);
}

void TForm14::reject() {
    if (!updating_) {
        QDialog::reject();
    }
}

}  // namespace tulvo
