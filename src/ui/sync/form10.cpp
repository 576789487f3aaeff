#include "sync/form10.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QShowEvent>

#include "link/port_most.h"
#include "model/operator.h"
#include "store/image_store.h"
#include "sync/clock_sync.h"
#include "sync/port_session.h"
#include "sync/read_data.h"
#include "sync/write_data.h"
#include "ui_form10.h"

namespace tulvo {
namespace {

constexpr int kPollMs = 500;

// Shows the progress window over the thread until the thread has finished.
// True when the transfer succeeded.
bool RunTransfer(QWidget* owner, TReadWriteData& thread, TPortMost& port, const QString& caption) {
    bool result = false;
    {
        TForm10 form(owner, thread, port);
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
    while (!thread.Done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs / 10);
        thread.wait(kPollMs / 10);
    }
    thread.wait();
    return result && thread.Success();
}

}  // namespace

TForm10::TForm10(QWidget* owner, TReadWriteData& thread, TPortMost& port)
    : QDialog(owner), ui_(std::make_unique<Ui::TForm10>()), thread_(thread), port_(port) {
    ui_->setupUi(this);
    // No border icons: the operator cannot close or cancel a transfer.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(size());
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
    ui_->ProgressBar1->setMaximum(kSteps);
    ui_->ProgressBar1->setValue(0);
    thread_.start();
}

void TForm10::Timer1Timer() {
    ui_->ProgressBar1->setValue(thread_.Progress().Position());
    if (!thread_.Done()) {
        return;
    }
    timer1_.stop();
    result_ = thread_.Success();
    done_ = true;
    done(QDialog::Accepted);
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
                             const std::function<void()>& afterRead) {
    bool success = false;
    {
        PortSession session(device);
        if (!session.IsOpen()) {
            return false;
        }
        TReadData thread(target.image, device.port, device.op);
        success = RunTransfer(owner, thread, device.port, "Чтение данных");
        if (success) {
            device.op.Message("Чтение завершено!");
        }
    }
    // A read that stopped early still keeps and shows what it had read.
    SaveSubscribers(target.image, target.store, 0);
    if (afterRead) {
        afterRead();
    }
    return success;
}

bool TForm10::WriteEverything(QWidget* owner, TData& image, const DeviceAccess& device) {
    PortSession session(device);
    if (!session.IsOpen()) {
        return false;
    }
    TWriteData thread(image, device.port, device.op);
    if (!RunTransfer(owner, thread, device.port, "Запись данных")) {
        device.op.Message("Ошибка при записи данных в устройсво!");
        return false;
    }
    ClockSync(device.port, device.op).AfterWrite();
    return true;
}

}  // namespace tulvo
