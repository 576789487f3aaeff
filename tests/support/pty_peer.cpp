#include "pty_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "link/crc8.h"
#include "link/frame_codec.h"

namespace tulvo::test {
namespace {

unsigned LineSpeed(int fd) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        return 0;
    }
    switch (cfgetospeed(&tio)) {
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 1;
    }
}

}  // namespace

PtyPeer::PtyPeer() {
    if (!pty_.Open()) {
        throw std::runtime_error("cannot open a pseudo-terminal: " + pty_.Error());
    }
    path_ = pty_.SlavePath();
    ::fcntl(pty_.MasterFd(), F_SETFL, ::fcntl(pty_.MasterFd(), F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { Serve(); });
}

PtyPeer::~PtyPeer() {
    Stop();
}

void PtyPeer::Stop() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PtyPeer::SetResponder(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
}

void PtyPeer::Send(const Bytes& bytes) {
    std::lock_guard lock(writeMutex_);
    std::size_t done = 0;
    auto idleSince = Clock::now();
    // The master is non-blocking: a client that stops reading must not wedge
    // the peer, so writing gives up after a while without progress.
    while (done < bytes.size() && pty_.MasterFd() >= 0 && !stop_) {
        const ssize_t put = ::write(pty_.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            idleSince = Clock::now();
            continue;
        }
        if (put < 0 && errno != EINTR && errno != EAGAIN) {
            return;
        }
        if (Clock::now() - idleSince > std::chrono::seconds(5)) {
            return;
        }
        pollfd pfd{pty_.MasterFd(), POLLOUT, 0};
        ::poll(&pfd, 1, 10);
    }
}

void PtyPeer::HangUp() {
    Stop();  // also ends a Send in progress
    std::lock_guard lock(writeMutex_);
    pty_.Close();
}

std::vector<PtyPeer::Frame> PtyPeer::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

bool PtyPeer::WaitForFrames(std::size_t n, std::chrono::milliseconds deadline) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, deadline, [&] { return frames_.size() >= n; });
}

void PtyPeer::Serve() {
    Bytes pending;
    std::uint8_t chunk[512];
    while (!stop_) {
        pollfd pfd{pty_.MasterFd(), POLLIN, 0};
        if (::poll(&pfd, 1, 5) <= 0) {
            continue;
        }
        const ssize_t got =
            (pfd.revents & POLLIN) ? ::read(pty_.MasterFd(), chunk, sizeof chunk) : 0;
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            // Without a client on the slave side the master reports a hang-up
            // (and reads EIO) at once: look again a little later, never spin.
            pending.clear();
            ::poll(nullptr, 0, 5);
            continue;
        }
        for (ssize_t i = 0; i < got; ++i) {
            pending.push_back(chunk[i]);
            if (chunk[i] == kFrameEnd) {
                OnFrame(Frame{pending, Clock::now(), LineSpeed(pty_.MasterFd())});
                pending.clear();
            }
        }
    }
}

void PtyPeer::OnFrame(Frame frame) {
    Responder responder;
    std::size_t number = 0;
    {
        std::lock_guard lock(mutex_);
        responder = responder_;
        number = frames_.size();
        frames_.push_back(frame);
    }
    arrived_.notify_all();
    if (responder) {
        if (std::optional<Bytes> reply = responder(frame, number)) {
            Send(*reply);
        }
    }
}

PtyPeer::Bytes ReplyFrame(std::uint8_t status, PtyPeer::Bytes payload, bool corruptHeader,
                          bool corruptPayload) {
    PtyPeer::Bytes body{status, 0x00, 0x00, 0x00, 0x00};
    body.push_back(static_cast<std::uint8_t>(Crc8(body.data(), 5) ^ (corruptHeader ? 0x5A : 0)));
    if (payload.size() > 1) {
        payload.back() = static_cast<std::uint8_t>(Crc8(payload.data(), payload.size() - 1) ^
                                                   (corruptPayload ? 0x5A : 0));
    }
    body.insert(body.end(), payload.begin(), payload.end());
    return EncodeFrame(body);
}

PtyPeer::Bytes FrameBody(const PtyPeer::Bytes& wire) {
    PtyPeer::Bytes body;
    bool started = false;
    for (std::size_t i = 0; i < wire.size(); ++i) {
        const std::uint8_t b = wire[i];
        if (!started) {
            started = b == 0x0A;
        } else if (b == 0x0D) {
            break;
        } else if (b == 0x0C && i + 1 < wire.size()) {
            body.push_back(static_cast<std::uint8_t>(wire[++i] ^ 0xFF));
        } else {
            body.push_back(b);
        }
    }
    return body;
}

}  // namespace tulvo::test
