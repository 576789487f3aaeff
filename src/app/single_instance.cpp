#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <filesystem>

namespace tulvo {
namespace {

constexpr QByteArrayView kRaise = "raise\n";
constexpr QByteArrayView kShown = "shown\n";
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

}  // namespace

SingleInstance::SingleInstance(const std::string& storePath, QObject* parent)
    : QObject(parent), storePath_(storePath) {
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
    if (server_ != nullptr) {
        server_->close();
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
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a program that was killed is in the way; the lock
    // says no program serves it any more.
    QLocalServer::removeServer(socketPath_);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::Answer);
    return server_->listen(socketPath_);
}

void SingleInstance::Answer() {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
        connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
            if (!peer->canReadLine()) {
                return;
            }
            if (peer->readLine() == kRaise.toByteArray()) {
                emit raiseRequested();
                peer->write(kShown.toByteArray());
                peer->flush();
            }
            peer->disconnectFromServer();
        });
    }
}

bool SingleInstance::AskRunningToRaise() {
    const QDeadlineTimer deadline(kAnswerMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (!socket.waitForConnected(kStepMs)) {
            ::usleep(kStepMs * 1000);  // the first program may not listen yet
            continue;
        }
        socket.write(kRaise.toByteArray());
        socket.flush();
        while (!socket.canReadLine() && !deadline.hasExpired()) {
            if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
                socket.state() != QLocalSocket::ConnectedState) {
                break;
            }
        }
        return socket.canReadLine() && socket.readLine() == kShown.toByteArray();
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
