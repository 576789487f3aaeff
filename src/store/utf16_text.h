#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/byte_source.h"

namespace tulvo {

// UTF-16LE <-> UTF-8 as registry files of version 5 need them: lone
// surrogates become three-byte sequences, and bytes that are not UTF-8 travel
// as the lone surrogates U+DC80 to U+DCFF, so both directions lose nothing.
std::string Utf16ToUtf8(std::string_view utf16le);
std::string Utf8ToUtf16(std::string_view utf8);

// Reads UTF-16LE from a byte source and hands it out as UTF-8, the way
// Utf16ToUtf8 converts.
class Utf16Reader {
  public:
    explicit Utf16Reader(ByteSource& source) : source_(source) {}

    bool Get(char& c) {
        if (next_ == pending_.size()) {
            pending_.clear();
            next_ = 0;
            if (!Decode()) {
                return false;
            }
        }
        c = pending_[next_++];
        return true;
    }
    // The input ended in half a code unit.
    bool Broken() const { return broken_; }

  private:
    bool Unit(std::uint32_t& unit);
    bool Decode();

    ByteSource& source_;
    std::string pending_;
    std::size_t next_ = 0;
    std::uint32_t unit_ = 0;
    bool hasUnit_ = false;
    bool broken_ = false;
};

}  // namespace tulvo
