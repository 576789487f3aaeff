#include "link/tcp_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace tulvo {
namespace {

using Clock = std::chrono::steady_clock;
using AddressList = std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)>;

// One name lookup, shared by the caller and the thread that runs it, so a
// caller that stopped waiting leaves the thread a place to finish in.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int result = EAI_AGAIN;
    int systemError = 0;
    addrinfo* found = nullptr;

    ~Lookup() {
        if (found != nullptr) {
            ::freeaddrinfo(found);
        }
    }
};

// The host's addresses, looked up on a thread of its own: getaddrinfo has no
// time-out, and a slow name server must not hold the caller past the
// deadline. Empty with the reason in `why` when the lookup fails or is late.
AddressList Resolve(const NetworkAddress& address, Clock::time_point deadline, std::string& why) {
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host = address.host, service = std::to_string(address.port)] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const int result = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
        const int systemError = errno;
        const std::lock_guard lock(lookup->mutex);
        lookup->result = result;
        lookup->systemError = systemError;
        lookup->found = found;
        lookup->done = true;
        lookup->finished.notify_all();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    if (!lookup->finished.wait_until(lock, deadline, [&] { return lookup->done; })) {
        why = "Не удалось найти узел " + address.host + ": время ожидания истекло.";
        return AddressList(nullptr, ::freeaddrinfo);
    }
    if (lookup->result != 0) {
        why = "Не удалось найти узел " + address.host + ": " +
              (lookup->result == EAI_SYSTEM ? std::strerror(lookup->systemError)
                                            : ::gai_strerror(lookup->result)) +
              ".";
        return AddressList(nullptr, ::freeaddrinfo);
    }
    return AddressList(std::exchange(lookup->found, nullptr), ::freeaddrinfo);
}

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

// Waits for a non-blocking connect to finish; 0 when connected, else the
// error (ETIMEDOUT when the deadline passed first).
int FinishConnect(int fd, Clock::time_point deadline) {
    for (;;) {
        pollfd pfd{fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready < 0) {
            return errno;
        }
        if (ready == 0) {
            if (Clock::now() < deadline) {
                continue;
            }
            return ETIMEDOUT;
        }
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
            return errno;
        }
        return error;
    }
}

// One address of the host: a connected socket, or -1 with the error.
int ConnectTo(const addrinfo& address, Clock::time_point deadline, int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                            address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    error = ::connect(fd, address.ai_addr, address.ai_addrlen) == 0 ? 0 : errno;
    if (error == EINPROGRESS || error == EINTR) {
        error = FinishConnect(fd, deadline);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (error == 0 && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
        error = errno;
    }
    // A frame is one write; it must leave at once, not wait for the reply
    // to the previous one.
    const int on = 1;
    if (error == 0 && ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

int TcpConnection::Connect(const NetworkAddress& address, std::chrono::milliseconds timeout,
                           std::string& why) {
    const auto deadline = Clock::now() + timeout;
    const AddressList addresses = Resolve(address, deadline, why);
    if (!addresses) {
        return -1;
    }
    int error = ETIMEDOUT;
    for (const addrinfo* a = addresses.get(); a != nullptr && Clock::now() < deadline;
         a = a->ai_next) {
        if (const int fd = ConnectTo(*a, deadline, error); fd >= 0) {
            return fd;
        }
    }
    why = "Не удалось подключиться к " + address.HostPort() + ": " + std::strerror(error) + ".";
    return -1;
}

bool TcpConnection::DiscardPending(int fd) {
    std::array<std::uint8_t, 4096> scrap{};
    for (;;) {
        const ssize_t got = ::recv(fd, scrap.data(), scrap.size(), MSG_DONTWAIT);
        if (got > 0) {
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

bool TcpConnection::SendAll(int fd, const std::uint8_t* data, std::size_t n) {
    std::size_t sent = 0;
    while (sent < n) {
        const ssize_t put = ::send(fd, data + sent, n - sent, MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(put);
    }
    return true;
}

std::string TcpConnection::DescribeDrop(int fd, const NetworkAddress& address, int errorNumber) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error == 0) {
        error = errorNumber;
    }
    const std::string what = "Соединение с " + address.HostPort() + " разорвано";
    return error == 0 ? what + " удалённой стороной." : what + " (" + std::strerror(error) + ").";
}

}  // namespace tulvo
