#include "link/com_port.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <span>
#include <string_view>

#include "link/baud_rate.h"
#include "link/frame_codec.h"
#include "link/tcp_connection.h"

namespace tulvo {
namespace {

// The operating system's reason for a failed open, in words an operator can act on.
std::string DescribeOpenError(const std::string& device, int error) {
    const std::string reason = std::strerror(error);
    switch (error) {
        case EACCES:
        case EPERM:
            return "Нет прав на открытие " + device + " (" + reason +
                   "). Добавьте пользователя в группу dialout или установите правило udev "
                   "для шлюза и войдите в систему заново.";
        case EBUSY:
        case EWOULDBLOCK:
            return "Порт " + device + " занят другой программой (" + reason + ").";
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "Устройство " + device + " не существует или отключено (" + reason + ").";
        case ENOTTY:
            return device + " не является последовательным портом (" + reason + ").";
        default:
            return "Не удалось открыть " + device + ": " + reason + ".";
    }
}

// Time left until deadline as a poll time-out, never negative.
timespec TimeUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::max<long long>(0, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                 deadline - std::chrono::steady_clock::now())
                                                 .count());
    return timespec{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
}

bool IsDecimal(const char* name) {
    if (*name == '\0') {
        return false;
    }
    for (; *name != '\0'; ++name) {
        if (*name < '0' || *name > '9') {
            return false;
        }
    }
    return true;
}

// Calls visit(descriptor name, its stat) for each open file listed in
// procRoot/<pid>/fd until visit returns true; true when it did.
template <typename Visit>
bool AnyOpenFile(int procFd, const std::string& pid, Visit visit) {
    const std::string fdDir = pid + "/fd";
    const int dirFd = ::openat(procFd, fdDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return false;  // gone meanwhile, or not ours to look at
    }
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (IsDecimal(entry->d_name) && ::fstatat(dirFd, entry->d_name, &st, 0) == 0 &&
            visit(std::string(entry->d_name), st)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool IsDevice(const struct stat& st, dev_t rdev) {
    return S_ISCHR(st.st_mode) && st.st_rdev == rdev;
}

// Pseudo-terminal slaves (/dev/pts/N) are character devices of these majors,
// N counting on from the first.
constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveLastMajor = 143;
// The multiplexer every pseudo-terminal master is opened through (/dev/ptmx).
constexpr unsigned kPtmxMajor = 5;
constexpr unsigned kPtmxMinor = 2;

// The N of /dev/pts/N for a pseudo-terminal slave device, else -1.
long PtySlaveIndex(dev_t rdev) {
    const unsigned major = ::major(rdev);
    if (major < kPtySlaveFirstMajor || major > kPtySlaveLastMajor) {
        return -1;
    }
    return static_cast<long>((major - kPtySlaveFirstMajor) * 256 + ::minor(rdev));
}

// The index of the pseudo-terminal whose master is open as descriptor fd of
// pid: the kernel gives it as "tty-index" in the descriptor's fdinfo.
long MasterIndex(const std::filesystem::path& procRoot, const std::string& pid,
                 const std::string& fd) {
    std::ifstream info(procRoot / pid / "fdinfo" / fd);
    constexpr std::string_view kKey = "tty-index:";
    for (std::string line; std::getline(info, line);) {
        if (line.starts_with(kKey)) {
            return std::strtol(line.c_str() + kKey.size(), nullptr, 10);
        }
    }
    return -1;
}

// Whether pid holds the master of pseudo-terminal `index`: such a process is
// the far end of the port (socat, a terminal emulator, a test harness), not a
// second reader of it, even when it keeps the slave open as well.
bool HoldsMaster(int procFd, const std::filesystem::path& procRoot, const std::string& pid,
                 long index) {
    const dev_t ptmx = ::makedev(kPtmxMajor, kPtmxMinor);
    return AnyOpenFile(procFd, pid, [&](const std::string& fd, const struct stat& st) {
        return IsDevice(st, ptmx) && MasterIndex(procRoot, pid, fd) == index;
    });
}

// A character device the kernel files under a class other than "tty" (the
// null device, a disk) is no serial port, whoever holds it: opening it tells
// the operator so. Pseudo-terminal slaves have no entry there and count as
// terminals.
bool OtherThanTerminal(dev_t rdev) {
    const std::filesystem::path subsystem = "/sys/dev/char/" + std::to_string(::major(rdev)) + ":" +
                                            std::to_string(::minor(rdev)) + "/subsystem";
    std::error_code failed;
    const std::filesystem::path target = std::filesystem::read_symlink(subsystem, failed);
    return !failed && target.filename() != "tty";
}

std::string ProcessName(const std::filesystem::path& procRoot, const std::string& pid) {
    std::ifstream in(procRoot / pid / "comm");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "?" : name;
}

}  // namespace

std::optional<TComPort::Holder> TComPort::FindHolder(const std::string& device,
                                                     const std::filesystem::path& procRoot) {
    struct stat target {};
    if (::stat(device.c_str(), &target) != 0 || !S_ISCHR(target.st_mode) ||
        OtherThanTerminal(target.st_rdev)) {
        return std::nullopt;
    }
    const int procFd = ::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procFd < 0) {
        return std::nullopt;
    }
    DIR* proc = ::fdopendir(procFd);
    if (proc == nullptr) {
        ::close(procFd);
        return std::nullopt;
    }
    const std::string self = std::to_string(::getpid());
    const long ptyIndex = PtySlaveIndex(target.st_rdev);
    auto isTarget = [&target](const std::string&, const struct stat& st) {
        return IsDevice(st, target.st_rdev);
    };
    std::optional<Holder> holder;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (IsDecimal(entry->d_name) && pid != self && AnyOpenFile(procFd, pid, isTarget) &&
            !(ptyIndex >= 0 && HoldsMaster(procFd, procRoot, pid, ptyIndex))) {
            holder = Holder{std::strtol(pid.c_str(), nullptr, 10), ProcessName(procRoot, pid)};
            break;
        }
    }
    ::closedir(proc);
    return holder;
}

TComPort::~TComPort() {
    Close();
}

bool TComPort::Open(const std::string& device, int baud, std::chrono::milliseconds timeout,
                    std::chrono::milliseconds connectTimeout) {
    lastError_.clear();
    lastLinkError_.clear();
    if (!IsOpen()) {
        const bool opened = NetworkAddress::IsNetworkName(device) ? Connect(device, connectTimeout)
                                                                  : OpenDevice(device);
        if (!opened) {
            return false;
        }
    }
    // Linux has no settable driver queue sizes; its tty buffers are larger than
    // any frame of the link, so that step has no equivalent here.
    if (!ApplyLineSettings(baud)) {
        CloseDescriptor();
        return false;
    }
    timeout_ = timeout;
    readPos_ = readEnd_ = 0;
    return true;
}

bool TComPort::OpenDevice(const std::string& device) {
    // Looked for before opening, so a port in use does not even see its
    // modem lines change.
    if (const auto holder = FindHolder(device)) {
        lastError_ = "Порт " + device + " занят другой программой: " + holder->name + " (PID " +
                     std::to_string(holder->pid) + ").";
        return false;
    }
    // O_NONBLOCK only for the open itself, so it never waits on modem lines.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        lastError_ = DescribeOpenError(device, errno);
        return false;
    }
    // flock closes the window that TIOCEXCL alone leaves between two opens.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd, TIOCEXCL) != 0) {
        lastError_ = DescribeOpenError(device, errno);
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        lastError_ = DescribeOpenError(device, errno);
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    }
    termios saved{};
    if (::tcgetattr(fd, &saved) == 0) {
        savedSettings_ = saved;  // else ApplyLineSettings reports the failure
    }
    fd_ = fd;
    device_ = device;
    return true;
}

bool TComPort::Connect(const std::string& device, std::chrono::milliseconds timeout) {
    const std::optional<NetworkAddress> address = NetworkAddress::Parse(device, &lastError_);
    if (!address) {
        return false;
    }
    const int fd = TcpConnection::Connect(*address, timeout, lastError_);
    if (fd < 0) {
        return false;
    }
    fd_ = fd;
    device_ = device;
    network_ = address;
    return true;
}

void TComPort::NoteDrop(int errorNumber) {
    if (network_ && lastLinkError_.empty()) {
        lastLinkError_ = TcpConnection::DescribeDrop(fd_, *network_, errorNumber);
    }
}

bool TComPort::ApplyLineSettings(int baud) {
    if (network_) {
        return true;  // the device server owns the line and its rate
    }
    speed_t speed{};
    if (!BaudToSpeed(baud, speed)) {
        lastError_ = "Неподдерживаемая скорость порта " + std::to_string(baud) + ".";
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        lastError_ = DescribeOpenError(device_, errno);
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNPAR | PARMRK);
    tio.c_cc[VSTART] = 0;
    tio.c_cc[VSTOP] = 0;
    // Reads are paced by poll(); a read after poll takes what is there.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        lastError_ = DescribeOpenError(device_, errno);
        return false;
    }
    // DTR and RTS off. A pseudo-terminal or a driver without modem lines
    // refuses the request; that is not a fault of the port.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd_, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        lastError_ = DescribeOpenError(device_, errno);
        return false;
    }
    // USB-serial adapters otherwise hold short replies for up to 16 ms.
    serial_struct serial{};
    if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd_, TIOCSSERIAL, &serial);
    }
    return true;
}

bool TComPort::SetBaudRate(int baud) {
    if (!IsOpen()) {
        return false;
    }
    if (!ApplyLineSettings(baud)) {
        CloseDescriptor();
        return false;
    }
    return true;
}

bool TComPort::Purge() {
    if (!IsOpen()) {
        return false;
    }
    readPos_ = readEnd_ = 0;
    if (network_) {
        return TcpConnection::DiscardPending(fd_);
    }
    return ::tcflush(fd_, TCIOFLUSH) == 0;
}

bool TComPort::Close() {
    CloseDescriptor();
    return true;
}

void TComPort::CloseDescriptor() {
    if (fd_ < 0) {
        return;
    }
    // The settings outlive this descriptor: whoever opens the device next
    // finds them as they were before this port took it.
    if (savedSettings_) {
        ::tcsetattr(fd_, TCSANOW, &*savedSettings_);
        savedSettings_.reset();
    }
    // The exclusive flag outlives this descriptor while anyone else keeps the
    // tty open (a pseudo-terminal's own side does), so drop it explicitly.
    if (!network_) {
        ::ioctl(fd_, TIOCNXCL);
    }
    ::close(fd_);
    fd_ = -1;
    network_.reset();
    device_.clear();
    readPos_ = readEnd_ = 0;
}

TComPort::Wait TComPort::WaitReadable(Clock::time_point deadline) const {
    for (;;) {
        pollfd pfd{fd_, POLLIN, 0};
        const timespec timeout = TimeUntil(deadline);
        const int ready = ::ppoll(&pfd, 1, &timeout, nullptr);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return Wait::Broken;
        }
        if (ready == 0) {
            if (Clock::now() < deadline) {
                continue;  // woke a little early
            }
            return Wait::TimedOut;
        }
        // POLLHUP, POLLERR or POLLNVAL without data: nothing will come.
        return (pfd.revents & POLLIN) ? Wait::Readable : Wait::Broken;
    }
}

// Takes what the driver already holds, waiting until the deadline for the
// first byte. A time-out, a hang-up, an error or a zero-length read all end
// in false at once.
bool TComPort::FillReadAhead(Clock::time_point deadline) {
    for (;;) {
        const Wait wait = WaitReadable(deadline);
        if (wait != Wait::Readable) {
            if (wait == Wait::Broken) {
                NoteDrop(0);
            }
            return false;
        }
        const ssize_t got = ::read(fd_, readAhead_.data(), readAhead_.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            NoteDrop(got < 0 ? errno : 0);
            return false;
        }
        readPos_ = 0;
        readEnd_ = static_cast<std::size_t>(got);
        return true;
    }
}

bool TComPort::ReadByte(std::uint8_t& byte, Clock::time_point deadline) {
    if (!IsOpen()) {
        return false;
    }
    if (readPos_ == readEnd_ && !FillReadAhead(deadline)) {
        return false;
    }
    byte = readAhead_[readPos_++];
    return true;
}

bool TComPort::ReadByte(std::uint8_t& byte) {
    return ReadByte(byte, Clock::now() + 2 * timeout_);
}

bool TComPort::Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds limit,
                     std::size_t* discarded) {
    std::size_t thrownAway = 0;
    if (discarded == nullptr) {
        discarded = &thrownAway;
    }
    *discarded = 0;
    if (!IsOpen()) {
        return false;
    }
    *discarded = readEnd_ - readPos_;
    readPos_ = readEnd_ = 0;
    const auto start = Clock::now();
    const auto end = start + limit;
    auto quietUntil = start + quiet;
    for (;;) {
        switch (WaitReadable(std::min(quietUntil, end))) {
            case Wait::TimedOut:
                return true;
            case Wait::Broken:
                return false;
            case Wait::Readable:
                break;
        }
        const ssize_t got = ::read(fd_, readAhead_.data(), readAhead_.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        *discarded += static_cast<std::size_t>(got);
        quietUntil = Clock::now() + quiet;
    }
}

bool TComPort::BytesWaiting() {
    if (!IsOpen()) {
        return false;
    }
    if (readPos_ != readEnd_) {
        return true;
    }
    pollfd pfd{fd_, POLLIN, 0};
    return ::poll(&pfd, 1, 0) > 0 && (pfd.revents & POLLIN);
}

bool TComPort::WriteFrame(const std::uint8_t* data, std::size_t n) {
    if (!IsOpen() || (data == nullptr && n != 0)) {
        return false;
    }
    frameOut_.clear();
    EncodeFrameInto(std::span<const std::uint8_t>(data, n), frameOut_);
    if (network_) {
        if (!TcpConnection::SendAll(fd_, frameOut_.data(), frameOut_.size())) {
            NoteDrop(errno);
            return false;
        }
        return true;
    }
    std::size_t written = 0;
    while (written < frameOut_.size()) {
        const ssize_t put = ::write(fd_, frameOut_.data() + written, frameOut_.size() - written);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(put);
    }
    while (::tcdrain(fd_) != 0 && errno == EINTR) {
    }
    return true;
}

std::size_t TComPort::ReadFrame(std::uint8_t* buffer, std::size_t limit) {
    if (!IsOpen() || (buffer == nullptr && limit != 0)) {
        return 0;
    }
    FrameDecoder decoder(limit);
    std::size_t hunted = 0;
    std::uint8_t byte = 0;
    const auto start = Clock::now();
    const auto startDeadline = start + 2 * timeout_;
    const auto frameDeadline = start + 4 * timeout_;
    for (;;) {
        // The start byte is bounded from the call, every later byte also by
        // its own wait; a byte already read ahead needs no look at the clock.
        const auto deadline = decoder.Hunting() || readPos_ != readEnd_
                                  ? startDeadline
                                  : std::min(Clock::now() + 2 * timeout_, frameDeadline);
        if (!ReadByte(byte, deadline)) {
            return 0;  // time-out or hang-up: a partial frame is dropped
        }
        if (decoder.Hunting() && byte != kFrameStart && ++hunted > kMaxHuntBytes) {
            return 0;
        }
        if (decoder.Feed(byte) == FrameDecoder::Result::Complete) {
            break;
        }
    }
    const std::vector<std::uint8_t>& body = decoder.Data();
    std::copy(body.begin(), body.end(), buffer);
    return body.size();
}

}  // namespace tulvo
