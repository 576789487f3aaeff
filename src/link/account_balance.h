#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tulvo {

// The 5-byte balance payload: bytes 0-3 the balance in hundredths of the
// currency unit (signed, little-endian), byte 4 its checksum.
class AccountBalance {
  public:
    static constexpr std::size_t kSize = 5;

    // Hundredths -> fixed-point amount with four decimal places
    // (1234 -> 123400, i.e. 12.34).
    static std::int64_t AmountFromHundredths(std::int32_t hundredths);
    // Reads the balance from a payload of at least 4 bytes.
    static std::int64_t AmountFromPayload(std::span<const std::uint8_t> payload);
};

}  // namespace tulvo
