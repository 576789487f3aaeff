#include "ui/sync/read_write_data.h"

#include <exception>
#include <string>
#include <utility>

#include "model/operator.h"
#include "model/operator_texts.h"

namespace tulvo {

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

}  // namespace tulvo
