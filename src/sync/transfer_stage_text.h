#pragma once

#include <string>

#include "sync/transfer_progress.h"

namespace tulvo {

// What a whole-image transfer is doing, in the operator's words:
// "Абоненты: 123 из 300". Empty before the first stage has begun.
std::string TransferStageText(const TransferProgress::StageState& state);

}  // namespace tulvo
