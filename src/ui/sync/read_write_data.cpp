#include "sync/read_write_data.h"

#include <exception>
#include <string>

#include "model/operator.h"
#include "sync/image_transfer.h"

namespace tulvo {

TReadWriteData::TReadWriteData(TData& image, TPortMost& port, Operator& op)
    : image_(image), port_(port), op_(op) {}

void TReadWriteData::run() {
    bool success = false;
    try {
        ImageTransfer transfer(image_, port_, op_, progress_);
        success = Transfer(transfer);
    } catch (const std::exception& error) {
        op_.Error(error.what());
    } catch (...) {
        op_.Error("Ошибка связи с устройством!");
    }
    success_.store(success, std::memory_order_relaxed);
    // Written last, so whoever sees it set also sees the final success.
    finished_.store(true, std::memory_order_release);
}

}  // namespace tulvo
