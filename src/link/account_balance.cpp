#include "link/account_balance.h"

#include "link/byte_io.h"
#include "link/command_table.h"

namespace tulvo {

static_assert(command::ReadAccountBalance.replyLength == AccountBalance::kSize);

std::int64_t AccountBalance::AmountFromHundredths(std::int32_t hundredths) {
    // The gateway's arithmetic, kept as it is: b * 10^4 * 10^4 / 10^6.
    return static_cast<std::int64_t>(hundredths) * 10000 * 10000 / 1000000;
}

std::int64_t AccountBalance::AmountFromPayload(std::span<const std::uint8_t> payload) {
    return AmountFromHundredths(ReadI32le(payload, 0));
}

}  // namespace tulvo
