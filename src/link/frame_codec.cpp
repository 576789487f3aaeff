#include "link/frame_codec.h"

#include <algorithm>

namespace tulvo {

bool NeedsEscape(std::uint8_t byte) {
    return byte == 0x0A || byte == 0x0C || byte == 0x0D || byte == 0x41;
}

void EncodeFrameInto(std::span<const std::uint8_t> data, std::vector<std::uint8_t>& out) {
    out.reserve(out.size() + data.size() * 2 + 2);
    out.push_back(kFrameStart);
    for (std::uint8_t byte : data) {
        if (NeedsEscape(byte)) {
            out.push_back(kFrameEscape);
            out.push_back(static_cast<std::uint8_t>(byte ^ 0xFF));
        } else {
            out.push_back(byte);
        }
    }
    out.push_back(kFrameEnd);
}

std::vector<std::uint8_t> EncodeFrame(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    EncodeFrameInto(data, out);
    return out;
}

FrameDecoder::FrameDecoder(std::size_t limit) : limit_(limit) {
    // One allocation for a frame of any size in use, instead of one per
    // doubling while it is read.
    data_.reserve(std::min<std::size_t>(limit, 1024));
}

void FrameDecoder::Reset() {
    state_ = State::Hunt;
    data_.clear();
}

FrameDecoder::Result FrameDecoder::Feed(std::uint8_t byte) {
    switch (state_) {
        case State::Hunt:
            if (byte == kFrameStart) {
                state_ = State::Body;
            }
            return Result::NeedMore;
        case State::Body:
            if (byte == kFrameEnd) {
                state_ = State::Done;
                return Result::Complete;
            }
            if (byte == kFrameEscape) {
                state_ = State::Escaped;
                return Result::NeedMore;
            }
            // A second start byte inside a body is plain data.
            return Store(byte);
        case State::Escaped:
            state_ = State::Body;
            return Store(static_cast<std::uint8_t>(byte ^ 0xFF));
        case State::Done:
            return Result::Complete;
    }
    return Result::NeedMore;
}

FrameDecoder::Result FrameDecoder::Store(std::uint8_t byte) {
    if (data_.size() >= limit_) {
        state_ = State::Done;
        return Result::Complete;
    }
    data_.push_back(byte);
    return Result::NeedMore;
}

}  // namespace tulvo
