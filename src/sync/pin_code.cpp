#include "sync/pin_code.h"

#include "link/command_table.h"
#include "sync/sealed_text.h"

namespace tulvo {

static_assert(command::WritePinCode.requestLength == PinCode::kSize);

PinCode::Payload PinCode::Build(std::string_view digits) {
    return SealedText<kSize>(digits, kMaxLength);
}

}  // namespace tulvo
