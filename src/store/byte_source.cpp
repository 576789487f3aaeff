#include "store/byte_source.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tulvo {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

ByteSource::ByteSource(int fd, std::uint64_t limit)
    : fd_(fd), buffer_(kBufferSize), limit_(limit) {}

ByteSource::ByteSource(std::string_view bytes, std::uint64_t limit)
    : memory_(bytes), limit_(limit) {}

bool ByteSource::Refill() {
    if (consumed_ >= limit_) {
        hitLimit_ = fd_ >= 0 || !memory_.empty();
        return false;
    }
    const std::uint64_t room = limit_ - consumed_;
    if (fd_ < 0) {
        if (memory_.empty()) {
            return false;
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(memory_.size(), room));
        next_ = memory_.data();
        end_ = next_ + n;
        memory_.remove_prefix(n);
        return true;
    }
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), room));
    ssize_t n;
    do {
        n = ::read(fd_, buffer_.data(), want);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        failed_ = n < 0;
        fd_ = -1;
        return false;
    }
    next_ = buffer_.data();
    end_ = next_ + n;
    return true;
}

}  // namespace tulvo
