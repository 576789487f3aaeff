#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tulvo {

// Frame bytes: 0x0A starts a frame, 0x0D ends it, and the four values below
// travel in the body as 0x0C followed by their complement.
inline constexpr std::uint8_t kFrameStart = 0x0A;
inline constexpr std::uint8_t kFrameEnd = 0x0D;
inline constexpr std::uint8_t kFrameEscape = 0x0C;

bool NeedsEscape(std::uint8_t byte);

// Encodes data as one complete frame (start byte, escaped body, end byte).
std::vector<std::uint8_t> EncodeFrame(std::span<const std::uint8_t> data);

// Appends the encoded frame to out, for callers that reuse one buffer.
void EncodeFrameInto(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out);

// Byte-at-a-time frame decoder, free of I/O. It hunts for a start byte,
// unescapes the body and stores at most `limit` data bytes. Once the limit is
// reached the frame counts as complete: the caller stops reading, leaving the
// rest of that frame to be purged before the next request.
class FrameDecoder {
  public:
    enum class Result { NeedMore, Complete };

    explicit FrameDecoder(std::size_t limit);

    // Starts over: hunting, nothing stored.
    void Reset();
    Result Feed(std::uint8_t byte);

    const std::vector<std::uint8_t>& Data() const { return data_; }
    bool Hunting() const { return state_ == State::Hunt; }

  private:
    enum class State { Hunt, Body, Escaped, Done };

    Result Store(std::uint8_t byte);

    std::size_t limit_;
    State state_ = State::Hunt;
    std::vector<std::uint8_t> data_;
};

}  // namespace tulvo
