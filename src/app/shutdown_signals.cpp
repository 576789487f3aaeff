#include "app/shutdown_signals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace tulvo {
namespace {

// The write end for the signal handler. A handler can reach nothing but
// process-wide state, so this one descriptor is kept at file scope.
volatile std::sig_atomic_t signalWriteFd = -1;

constexpr int kSignals[] = {SIGTERM, SIGINT};

extern "C" void OnShutdownSignal(int number) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    if (signalWriteFd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(signalWriteFd, &byte, 1);
    }
    errno = savedErrno;
}

}  // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) {
        return;
    }
    signalWriteFd = fds_[0];
    notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::Drain);

    struct sigaction action {};
    action.sa_handler = OnShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) {
        ::sigaction(number, &action, nullptr);
    }
}

ShutdownSignals::~ShutdownSignals() {
    for (const int number : kSignals) {
        ::signal(number, SIG_DFL);
    }
    signalWriteFd = -1;
    for (int& fd : fds_) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void ShutdownSignals::Drain() {
    unsigned char bytes[16];
    ssize_t count = 0;
    int last = 0;
    while ((count = ::read(fds_[1], bytes, sizeof bytes)) > 0) {
        last = bytes[count - 1];
    }
    if (last != 0) {
        emit requested(last);
    }
}

}  // namespace tulvo
