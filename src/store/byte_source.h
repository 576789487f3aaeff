#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tulvo {

// Hands out the bytes of an open file descriptor or of a block of memory one
// at a time through a fixed buffer, and stops after a byte limit, so readers of
// outside files use bounded memory whatever they are given.
class ByteSource {
  public:
    static constexpr std::uint64_t kNoLimit = ~std::uint64_t{0};

    // Reads fd from its current position; the caller keeps fd open and closes it.
    ByteSource(int fd, std::uint64_t limit);
    ByteSource(std::string_view bytes, std::uint64_t limit);

    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // The next byte; false at the end of the data, on a read error, or when the
    // limit is reached.
    bool Get(char& c) {
        if (next_ == end_ && !Refill()) {
            return false;
        }
        c = *next_++;
        ++consumed_;
        return true;
    }

    // The bytes read ahead and not yet handed out, reading more when there are
    // none; empty at the end. Consume(n) hands out the first n of them.
    std::string_view Chunk() {
        if (next_ == end_ && !Refill()) {
            return {};
        }
        return {next_, static_cast<std::size_t>(end_ - next_)};
    }
    void Consume(std::size_t n) {
        next_ += n;
        consumed_ += n;
    }

    // True when reading stopped at the limit with more data left.
    bool HitLimit() const { return hitLimit_; }
    // True when the descriptor reported a read error.
    bool Failed() const { return failed_; }

  private:
    bool Refill();

    int fd_ = -1;
    std::string_view memory_;
    std::vector<char> buffer_;
    const char* next_ = nullptr;
    const char* end_ = nullptr;
    std::uint64_t consumed_ = 0;
    std::uint64_t limit_;
    bool hitLimit_ = false;
    bool failed_ = false;
};

}  // namespace tulvo
