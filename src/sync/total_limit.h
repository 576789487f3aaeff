#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tulvo {

// The 10-byte total time limit block: flags (bit 0 clear = limit on), time
// left in seconds (bytes 1-4), threshold in seconds (bytes 5-8), checksum.
// Holds the block as last read, so a write changes only what it must.
class TotalLimit {
  public:
    static constexpr std::size_t kSize = 10;
    using Payload = std::array<std::uint8_t, kSize>;

    // Before any read: flags 0xFF (off), numbers 0.
    TotalLimit();

    // Takes a block as read from the gateway (at least kSize bytes).
    void Load(std::span<const std::uint8_t> payload);

    bool Enabled() const;
    std::uint32_t TimeLeft() const;
    std::uint32_t Threshold() const;
    std::uint8_t Flags() const { return bytes_[0]; }

    // The block to write: bit 0 of the flags and the time left change, the
    // other flag bits and the threshold stay as last read.
    Payload ForWrite(bool enabled, std::uint32_t limitSeconds) const;
    // The same with a new threshold as well.
    Payload ForWrite(bool enabled, std::uint32_t limitSeconds,
                     std::uint32_t thresholdSeconds) const;

    const Payload& Bytes() const { return bytes_; }

  private:
    Payload bytes_{};
};

}  // namespace tulvo
