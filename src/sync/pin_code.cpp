#include "sync/pin_code.h"

#include <algorithm>

#include "link/command_table.h"
#include "link/crc8.h"

namespace tulvo {

static_assert(command::WritePinCode.requestLength == PinCode::kSize);

PinCode::Payload PinCode::Build(std::string_view digits) {
    Payload p{};
    const std::size_t n = std::min(digits.size(), kMaxLength);
    for (std::size_t i = 0; i < n; ++i) {
        p[i] = static_cast<std::uint8_t>(digits[i]);
    }
    p[kSize - 1] = Crc8(p.data(), kSize - 1);
    return p;
}

}  // namespace tulvo
