#include "app/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <utility>

namespace tulvo {
namespace {

constexpr QByteArrayView kRaise = "raise\n";
constexpr QByteArrayView kOpen = "open ";  // then the file's path and a line end
constexpr QByteArrayView kShown = "shown\n";
// A request is one short line; a peer that sends more is not one of us.
constexpr qsizetype kMaxLine = PATH_MAX + 16;  // "open ", a path, the line end
// How long a later start waits for the first to answer. The first may still
// be starting (its lock taken, its socket not yet listening).
constexpr int kAnswerMs = 3000;
constexpr int kStepMs = 100;

// The store's path as one string whatever way it was named (relative,
// through links, not yet created).
QString CanonicalStore(const std::string& path) {
    std::error_code failed;
    const auto canonical =
        std::filesystem::weakly_canonical(std::filesystem::absolute(path, failed), failed);
    return QString::fromStdString(failed ? path : canonical.string());
}

QString RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return runtime;
    }
    return QDir::tempPath();
}

// The address of a socket path; false when the path does not fit.
bool SocketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray name = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return true;
}

// Closes the descriptor when it goes out of scope.
class FdGuard {
  public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// Waits for the descriptor to become ready for `events`, at most `ms`.
bool WaitFor(int fd, short events, int ms) {
    pollfd entry{fd, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&entry, 1, std::max(ms, 0));
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Connects to the running program's socket, waiting at most `ms`; -1 when
// nobody listens there.
int ConnectTo(const QString& path, int ms) {
    sockaddr_un address{};
    if (!SocketAddress(path, address)) {
        return -1;
    }
    FdGuard fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (fd.Get() < 0) {
        return -1;
    }
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return fd.Release();
    }
    if (errno != EAGAIN && errno != EINPROGRESS) {
        return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (!WaitFor(fd.Get(), POLLOUT, ms) ||
        ::getsockopt(fd.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        return -1;
    }
    return fd.Release();
}

}  // namespace

SingleInstance::SingleInstance(const std::string& storePath, QString offeredFile, QObject* parent)
    : QObject(parent), storePath_(storePath), offeredFile_(std::move(offeredFile)) {
    const QByteArray hash =
        QCryptographicHash::hash(CanonicalStore(storePath).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(24);
    const QString base = RuntimeFolder() + "/tulvo-configurator-" + QString::number(::getuid()) +
                         "-" + QString::fromLatin1(hash);
    lockPath_ = base + ".lock";
    socketPath_ = base + ".socket";
}

SingleInstance::~SingleInstance() {
    for (const Peer& peer : peers_) {
        ::close(peer.fd);
    }
    if (serverFd_ >= 0) {
        ::close(serverFd_);
        // Still under the lock: the socket is ours to remove.
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
    }
}

SingleInstance::Role SingleInstance::Claim() {
    lockFd_ = ::open(lockPath_.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                     0600);
    struct stat info {};
    if (lockFd_ >= 0 && (::fstat(lockFd_, &info) != 0 || info.st_uid != ::geteuid())) {
        ::close(lockFd_);  // planted by someone else in a shared folder: not ours to trust
        lockFd_ = -1;
    }
    if (lockFd_ < 0) {
        return Role::First;  // no lock to be had: nothing can be enforced
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
        const QByteArray pid = QByteArray::number(static_cast<qlonglong>(::getpid())) + "\n";
        if (::ftruncate(lockFd_, 0) == 0) {
            [[maybe_unused]] const ssize_t written = ::pwrite(lockFd_, pid.data(), pid.size(), 0);
        }
        Listen();
        return Role::First;
    }
    if (AskRunningToRaise()) {
        return Role::HandedOver;
    }
    refusal_ = QStringLiteral(
                   "Программа уже запущена с файлом настроек %1 (%2) и не отвечает. "
                   "Закройте её и запустите программу снова.")
                   .arg(QString::fromStdString(storePath_), RunningProcess());
    return Role::Refused;
}

bool SingleInstance::Listen() {
    // A socket left by a program that was killed is in the way; the lock
    // says no program serves it any more.
    const QByteArray socketName = QFile::encodeName(socketPath_);
    ::unlink(socketName.constData());
    // Bound in a folder of its own first and only moved into place once only
    // this user may connect, so no other user ever meets it open.
    QByteArray folder = socketName + ".XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        return false;
    }
    const QByteArray bound = folder + "/s";
    sockaddr_un address{};
    FdGuard fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    const bool listening =
        fd.Get() >= 0 && SocketAddress(QFile::decodeName(bound), address) &&
        ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::chmod(bound.constData(), S_IRWXU) == 0 && ::listen(fd.Get(), SOMAXCONN) == 0 &&
        ::rename(bound.constData(), socketName.constData()) == 0;
    ::unlink(bound.constData());
    ::rmdir(folder.constData());
    if (!listening) {
        return false;
    }
    serverFd_ = fd.Release();
    return true;
}

void SingleInstance::Serve() {
    if (serverFd_ < 0 || server_ != nullptr) {
        return;
    }
    server_ = new QSocketNotifier(serverFd_, QSocketNotifier::Read, this);
    // A start that came since Claim() waits in the socket and is answered
    // as soon as the events run.
    connect(server_, &QSocketNotifier::activated, this, &SingleInstance::Accept);
}

void SingleInstance::Accept() {
    int fd = -1;
    while ((fd = ::accept4(serverFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { Read(fd); });
        peers_.push_back({fd, notifier, {}});
    }
}

void SingleInstance::Read(int fd) {
    const auto peer =
        std::find_if(peers_.begin(), peers_.end(), [fd](const Peer& p) { return p.fd == fd; });
    if (peer == peers_.end()) {
        return;
    }
    char buffer[kMaxLine];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    if (got > 0) {
        peer->received.append(buffer, got);
    }
    const qsizetype end = peer->received.indexOf('\n');
    if (end < 0 && got > 0 && peer->received.size() < kMaxLine) {
        return;  // the line is not complete yet
    }
    const QByteArray line = end < 0 ? QByteArray() : peer->received.left(end);
    Drop(fd, false);
    Answer(fd, line);
}

void SingleInstance::Answer(int fd, const QByteArray& line) {
    const bool raise = line + '\n' == kRaise.toByteArray();
    const bool open = line.startsWith(kOpen.toByteArray()) && line.size() > kOpen.size();
    if (raise || open) {
        emit raiseRequested();
        if (open) {
            emit fileOffered(QString::fromUtf8(line.mid(kOpen.size())));
        }
        [[maybe_unused]] const ssize_t sent =
            ::send(fd, kShown.data(), static_cast<std::size_t>(kShown.size()), MSG_NOSIGNAL);
    }
    ::close(fd);
}

QByteArray SingleInstance::Request() const {
    if (offeredFile_.isEmpty()) {
        return kRaise.toByteArray();
    }
    return kOpen.toByteArray() + offeredFile_.toUtf8() + '\n';
}

void SingleInstance::Drop(int fd, bool close) {
    const auto peer =
        std::find_if(peers_.begin(), peers_.end(), [fd](const Peer& p) { return p.fd == fd; });
    if (peer == peers_.end()) {
        return;
    }
    peer->notifier->setEnabled(false);
    peer->notifier->deleteLater();
    if (close) {
        ::close(peer->fd);
    }
    peers_.erase(peer);
}

bool SingleInstance::AskRunningToRaise() const {
    const QDeadlineTimer deadline(kAnswerMs);
    while (!deadline.hasExpired()) {
        FdGuard socket(ConnectTo(socketPath_, kStepMs));
        if (socket.Get() < 0) {
            ::usleep(kStepMs * 1000);  // the first program may not listen yet
            continue;
        }
        const QByteArray request = Request();
        if (::send(socket.Get(), request.data(), static_cast<std::size_t>(request.size()),
                   MSG_NOSIGNAL) != request.size()) {
            return false;
        }
        QByteArray answer;
        while (!answer.contains('\n') && answer.size() < kMaxLine &&
               WaitFor(socket.Get(), POLLIN, static_cast<int>(deadline.remainingTime()))) {
            char buffer[kMaxLine];
            const ssize_t got = ::read(socket.Get(), buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, got);
        }
        return answer == kShown.toByteArray();
    }
    return false;
}

QString SingleInstance::RunningProcess() const {
    char buffer[32] = {};
    const ssize_t got = ::pread(lockFd_, buffer, sizeof buffer - 1, 0);
    const QString pid =
        got > 0 ? QString::fromLatin1(buffer, static_cast<int>(got)).trimmed() : QString();
    return pid.isEmpty() ? QStringLiteral("tulvo-configurator")
                         : QStringLiteral("tulvo-configurator, процесс %1").arg(pid);
}

}  // namespace tulvo
