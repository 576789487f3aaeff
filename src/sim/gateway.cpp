#include "sim/gateway.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "link/command_table.h"
#include "link/frame_codec.h"

namespace tulvo::sim {

namespace {

using Clock = std::chrono::steady_clock;

// Longer than any request: a runaway frame is cut and dropped.
constexpr std::size_t kFrameLimit = 600;
static_assert(kFrameLimit > 6 + command::WriteFirmwareBlock.requestLength);
// A reply that cannot be written in this time (nobody reads the port) is dropped.
constexpr auto kWriteGiveUp = std::chrono::seconds(2);
// A timed sleep here wakes some 50 us late even with the smallest timer slack,
// which a paced reply of a few milliseconds cannot absorb: waits sleep until
// this long before their deadline and spin the rest (without yielding, so a
// busy machine does not hand the core away for a whole time slice).
constexpr auto kSpinTime = std::chrono::microseconds(100);
// While no client has the port open the master polls as hung up at once, so
// the serving thread looks again after this long instead of spinning.
constexpr auto kNoClientRetry = std::chrono::milliseconds(5);
// The text a client sends at 9600 baud to leave the bootloader.
constexpr std::string_view kExitText = "+++_EXIT";

timespec ToTimespec(Clock::duration d) {
    const auto ns =
        std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(d).count());
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}

bool IsExitText(const std::vector<std::uint8_t>& body) {
    return std::string_view(reinterpret_cast<const char*>(body.data()), body.size()) == kExitText;
}

}  // namespace

Gateway::Gateway() = default;

Gateway::~Gateway() {
    Stop();
}

bool Gateway::Start() {
    if (running_.load()) {
        error_ = "already running";
        return false;
    }
    if (!pty_.Open()) {
        error_ = pty_.Error();
        return false;
    }
    const int flags = fcntl(pty_.MasterFd(), F_GETFL);
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (flags < 0 || fcntl(pty_.MasterFd(), F_SETFL, flags | O_NONBLOCK) != 0 || wakeFd_ < 0) {
        error_ = std::strerror(errno);
        Stop();
        return false;
    }
    devicePath_ = pty_.SlavePath();
    stopRequested_ = false;
    hangUpRequested_ = false;
    hungUp_ = false;
    running_ = true;
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void Gateway::Stop() {
    stopRequested_ = true;
    Wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    pty_.Close();
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    running_ = false;
}

void Gateway::SetPacing(const Pacing& pacing) {
    std::lock_guard lock(pacingMutex_);
    pacing_ = pacing;
}

Pacing Gateway::CurrentPacing() const {
    std::lock_guard lock(pacingMutex_);
    return pacing_;
}

std::chrono::microseconds Gateway::ModelledTime() const {
    return std::chrono::microseconds(modelledMicroseconds_.load());
}

void Gateway::ResetModelledTime() {
    modelledMicroseconds_ = 0;
}

void Gateway::HangUp() {
    if (!thread_.joinable()) {
        return;
    }
    hangUpRequested_ = true;
    Wake();
    WaitForHangUp(std::chrono::seconds(5));
}

bool Gateway::WaitForHangUp(std::chrono::milliseconds timeout) {
    std::unique_lock lock(hangUpMutex_);
    return hangUpDone_.wait_for(lock, timeout, [this] { return hungUp_.load(); });
}

void Gateway::Wake() {
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wakeFd_, &one, sizeof one);
    }
}

void Gateway::CloseMaster() {
    pty_.Close();
    {
        std::lock_guard lock(hangUpMutex_);
        hungUp_ = true;
    }
    hangUpDone_.notify_all();
}

void Gateway::Serve() {
    // Paced replies are timed to tens of microseconds; the default slack of
    // the thread's timers would add about 50 us to each.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    FrameDecoder decoder(kFrameLimit);
    Clock::time_point firstByte{};
    std::size_t wireBytes = 0;
    std::array<std::uint8_t, 4096> chunk{};
    while (!stopRequested_.load() && !hungUp_.load()) {
        std::array<pollfd, 2> fds{pollfd{pty_.MasterFd(), POLLIN, 0}, pollfd{wakeFd_, POLLIN, 0}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (hangUpRequested_.load()) {
            CloseMaster();
            break;
        }
        if (stopRequested_.load()) {
            break;
        }
        const ssize_t n = ::read(pty_.MasterFd(), chunk.data(), chunk.size());
        if (n <= 0) {
            // EAGAIN is a spurious wake-up. EIO means that no client has the
            // port open (none yet, or the last one closed it): wait for one.
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                decoder.Reset();  // a frame cut short by a client that left stays unfinished
                WaitForClient();
            }
            continue;
        }
        const auto now = Clock::now();
        for (ssize_t i = 0; i < n && !hungUp_.load(); ++i) {
            if (decoder.Hunting()) {
                firstByte = now;
                wireBytes = 0;
            }
            ++wireBytes;
            if (decoder.Feed(chunk[static_cast<std::size_t>(i)]) ==
                FrameDecoder::Result::Complete) {
                HandleFrame(decoder.Data(), firstByte, wireBytes);
                decoder.Reset();
            }
        }
    }
}

void Gateway::WaitForClient() {
    pollfd fd{wakeFd_, POLLIN, 0};
    const timespec timeout = ToTimespec(kNoClientRetry);
    ::ppoll(&fd, 1, &timeout, nullptr);
}

void Gateway::HandleFrame(const std::vector<std::uint8_t>& body, Clock::time_point firstByte,
                          std::size_t wireBytes) {
    if (body.empty()) {
        log_.AddEmptyFrame();
        return;
    }
    if (IsExitText(body)) {
        return;  // there is no bootloader session to leave: the gateway keeps serving
    }
    auto request = Request::Parse(body);
    if (!request) {
        log_.AddDropped();  // like the device: a damaged request gets no answer
        return;
    }
    SendReply(*request, firstByte, wireBytes);
}

void Gateway::SendReply(const Request& request, Clock::time_point firstByte,
                        std::size_t requestWireBytes) {
    const FaultPlan plan = faults_.Plan(request.command, request.index);
    log_.Add(LoggedRequest{request.command, request.requestLength, request.replyLength,
                           request.index, request.payload, Clock::now()});
    if (plan.hangUp) {
        CloseMaster();
        return;
    }
    if (plan.silent) {
        return;
    }
    const Reply reply = plan.forceStatus ? Reply{plan.status, {}} : handler_.Handle(request);
    std::vector<std::uint8_t> body = reply.Body();
    if (plan.badHeader) {
        body[5] ^= 0x01;
    }
    if (plan.badPayload && reply.payload.size() > 1) {
        body.back() ^= 0x01;
    }
    const auto damaged = static_cast<std::size_t>(plan.undetectableByte);
    if (plan.undetectableByte >= 0 && damaged + 1 < reply.payload.size()) {
        body[body.size() - reply.payload.size() + damaged] ^= 0x63;
    }
    std::vector<std::uint8_t> wire = EncodeFrame(body);
    faults_.AddNoise(wire, plan.noiseRate);
    const auto exchange = CurrentPacing().ExchangeTime(requestWireBytes, wire.size());
    modelledMicroseconds_ += exchange.count();
    const auto due = firstByte + exchange + plan.delay;
    WritePaced(wire, due);
}

// On a real line the reply arrives byte by byte, so a client is already awake
// reading when its last byte comes in. The bulk is handed over when all but the
// last byte would have arrived, and the last byte when it is due.
void Gateway::WritePaced(const std::vector<std::uint8_t>& wire, Clock::time_point due) {
    const auto byteTime = CurrentPacing().ByteTime();
    if (byteTime.count() == 0 || wire.size() < 2) {
        if (WaitUntil(due)) {
            WriteAll(wire);
        }
        return;
    }
    const std::vector<std::uint8_t> bulk(wire.begin(), wire.end() - 1);
    const std::vector<std::uint8_t> last(wire.end() - 1, wire.end());
    if (WaitUntil(due - byteTime) && WriteAll(bulk) && WaitUntil(due)) {
        WriteAll(last);
    }
}

bool Gateway::WaitUntil(Clock::time_point deadline) {
    while (!stopRequested_.load() && !hangUpRequested_.load()) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return true;
        }
        if (left <= kSpinTime) {
            continue;
        }
        pollfd fd{wakeFd_, POLLIN, 0};
        const timespec timeout = ToTimespec(left - kSpinTime);
        ::ppoll(&fd, 1, &timeout, nullptr);
    }
    return false;
}

bool Gateway::WriteAll(const std::vector<std::uint8_t>& bytes) {
    const auto giveUp = Clock::now() + kWriteGiveUp;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(pty_.MasterFd(), bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        if (Clock::now() > giveUp || stopRequested_.load() || hangUpRequested_.load()) {
            return false;
        }
        std::array<pollfd, 2> fds{pollfd{pty_.MasterFd(), POLLOUT, 0}, pollfd{wakeFd_, POLLIN, 0}};
        ::poll(fds.data(), fds.size(), 100);
    }
    return true;
}

}  // namespace tulvo::sim
