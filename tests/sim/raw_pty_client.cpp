#include "raw_pty_client.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "link/crc8.h"
#include "link/frame_codec.h"

namespace tulvo::test {

namespace {

using Clock = std::chrono::steady_clock;

// Reads one byte, waiting until the deadline. Nothing on time-out or hang-up.
std::optional<std::uint8_t> ReadByte(int fd, Clock::time_point deadline) {
    while (true) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            return std::nullopt;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) {
            continue;
        }
        std::uint8_t byte = 0;
        const ssize_t n = ::read(fd, &byte, 1);
        if (n == 1) {
            return byte;
        }
        if (n == 0 || (p.revents & (POLLHUP | POLLERR)) != 0) {
            return std::nullopt;
        }
    }
}

}  // namespace

RawPtyClient::RawPtyClient(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ >= 0) {
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd_, TCSANOW, &tio);
    }
}

RawPtyClient::~RawPtyClient() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void RawPtyClient::Send(const std::vector<std::uint8_t>& wire) {
    [[maybe_unused]] auto n = ::write(fd_, wire.data(), wire.size());
}

void RawPtyClient::SendFrame(const std::vector<std::uint8_t>& body) {
    Send(EncodeFrame(body));
}

void RawPtyClient::SendRequest(std::uint8_t command, std::uint16_t index, std::uint8_t replyLength,
                               std::vector<std::uint8_t> payload) {
    std::vector<std::uint8_t> body{command, static_cast<std::uint8_t>(payload.size()), replyLength,
                                   static_cast<std::uint8_t>(index & 0xFF),
                                   static_cast<std::uint8_t>(index >> 8)};
    body.push_back(Crc8(body.data(), body.size()));
    if (payload.size() > 1) {
        payload.back() = Crc8(payload.data(), payload.size() - 1);
    }
    body.insert(body.end(), payload.begin(), payload.end());
    SendFrame(body);
}

std::optional<std::vector<std::uint8_t>> RawPtyClient::ReadWireFrame(
    std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::vector<std::uint8_t> wire;
    while (auto byte = ReadByte(fd_, deadline)) {
        if (wire.empty() && *byte != kFrameStart) {
            continue;
        }
        wire.push_back(*byte);
        if (*byte == kFrameEnd) {
            return wire;
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> RawPtyClient::ReadFrame(
    std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    FrameDecoder decoder(4096);
    while (auto byte = ReadByte(fd_, deadline)) {
        if (decoder.Feed(*byte) == FrameDecoder::Result::Complete) {
            return decoder.Data();
        }
    }
    return std::nullopt;
}

void RawPtyClient::Discard() {
    tcflush(fd_, TCIFLUSH);
}

bool RawPtyClient::WaitForHangUp(std::chrono::milliseconds timeout) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) {
        return false;
    }
    if ((p.revents & (POLLHUP | POLLERR)) != 0) {
        return true;
    }
    std::uint8_t byte = 0;
    return ::read(fd_, &byte, 1) <= 0;
}

}  // namespace tulvo::test
