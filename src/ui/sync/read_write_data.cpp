#include "ui/sync/read_write_data.h"

#include <QCoreApplication>
#include <exception>
#include <string>
#include <utility>

#include "model/operator.h"
#include "model/operator_texts.h"

namespace tulvo {
namespace {

// The longest a queued operator call or a repaint waits while the
// user-interface thread waits for the job.
constexpr int kServeSliceMs = 10;

}  // namespace

TReadWriteData::TReadWriteData(GatewayActions::Job job, Operator& op)
    : job_(std::move(job)), op_(op) {}

void TReadWriteData::run() {
    bool success = false;
    try {
        success = job_(progress_);
    } catch (const std::exception& error) {
        op_.Error(error.what());
    } catch (...) {
        op_.Error(texts::kLinkError);
    }
    success_.store(success, std::memory_order_relaxed);
    // Written last, so whoever sees it set also sees the final success.
    finished_.store(true, std::memory_order_release);
}

void TReadWriteData::ServeEventsUntilDone() {
    while (!Done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kServeSliceMs);
        wait(kServeSliceMs);
    }
    wait();
}

}  // namespace tulvo
