// TComPort on a network port (tcp://), against listeners made by the test.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/com_port.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A loopback listener with an accept queue of `backlog`.
struct Listener {
    explicit Listener(int backlog = 4) {
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(fd, backlog);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    ~Listener() {
        for (const int c : clients) {
            ::close(c);
        }
        ::close(fd);
    }
    // A connection nobody accepts, filling the queue.
    void Queue() {
        const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        const sockaddr_in address = Loopback(port);
        ::connect(c, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        clients.push_back(c);
    }
    int Accept() const { return ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC); }
    std::string Address() const { return "tcp://127.0.0.1:" + std::to_string(port); }
    std::string HostPort() const { return "127.0.0.1:" + std::to_string(port); }

    int fd = -1;
    int port = 0;
    std::vector<int> clients;
};

void Send(int fd, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
}

TEST(NetworkPortOpen, ConnectionThatCannotBeMadeSaysWhereAndWhy) {
    Listener refusing;
    const std::string closed = refusing.Address();
    const std::string closedHostPort = refusing.HostPort();
    ::close(refusing.fd);
    refusing.fd = -1;
    // A listener whose queue is full leaves the next connect unanswered.
    Listener full(0);
    for (int i = 0; i < 3; ++i) {
        full.Queue();
    }
    const struct {
        std::string device;
        std::string error;
    } cases[] = {
        {closed, "Не удалось подключиться к " + closedHostPort + ": Connection refused."},
        {full.Address(),
         "Не удалось подключиться к " + full.HostPort() + ": Connection timed out."},
        {"tcp://127.0.0.1",
         "Неверный сетевой адрес «tcp://127.0.0.1»: не указан порт. Ожидается "
         "tcp://УЗЕЛ:ПОРТ."},
    };
    for (const auto& c : cases) {
        TComPort port;
        EXPECT_FALSE(port.Open(c.device, 115200, 20ms, 100ms)) << c.device;
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.LastError(), c.error);
    }
}

// The link's operations on a connected socket: line settings are the
// server's, Purge drops what came unasked, and the end of the connection is
// a hang-up that says why and fails every later read and write at once.
TEST(NetworkPortLink, CarriesFramesAndReportsTheDropOfTheConnection) {
    for (const bool reset : {false, true}) {
        Listener listener;
        TComPort port;
        ASSERT_TRUE(port.Open(listener.Address(), 115200, 20ms, 1s)) << port.LastError();
        const int server = listener.Accept();
        ASSERT_GE(server, 0);
        EXPECT_TRUE(port.IsNetwork());
        EXPECT_TRUE(port.SetBaudRate(9600));

        Send(server, {0x0A, 0x55, 0x0D});  // stale, unasked
        // Purge must find the stale frame in the socket, not before it came.
        for (const auto end = std::chrono::steady_clock::now() + 5s;
             !port.BytesWaiting() && std::chrono::steady_clock::now() < end;) {
        }
        EXPECT_TRUE(port.Purge());
        const std::uint8_t request[] = {0x41, 0x0A};
        ASSERT_TRUE(port.WriteFrame(request, sizeof request));
        std::uint8_t sent[6] = {};
        ASSERT_EQ(::recv(server, sent, sizeof sent, MSG_WAITALL), 6);
        EXPECT_EQ(std::vector<std::uint8_t>(sent, sent + 6),
                  (std::vector<std::uint8_t>{0x0A, 0x0C, 0xBE, 0x0C, 0xF5, 0x0D}));
        Send(server, {0x0A, 0x31, 0x32, 0x0D, 0x0A, 0x33});
        std::uint8_t reply[8] = {};
        ASSERT_EQ(port.ReadFrame(reply, sizeof reply), 2u);
        EXPECT_EQ(reply[0], 0x31);
        EXPECT_EQ(port.LastLinkError(), "");

        if (reset) {
            const linger abort{1, 0};
            ::setsockopt(server, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        ::close(server);
        EXPECT_EQ(port.ReadFrame(reply, sizeof reply), 0u);  // the half frame is dropped
        EXPECT_EQ(port.LastLinkError(),
                  "Соединение с " + listener.HostPort() + " разорвано" +
                      (reset ? " (Connection reset by peer)." : " удалённой стороной."));
        EXPECT_EQ(port.ReadFrame(reply, sizeof reply), 0u);
        port.WriteFrame(request, sizeof request);  // no SIGPIPE
        EXPECT_FALSE(port.WriteFrame(request, sizeof request));
        EXPECT_TRUE(port.Close());
        EXPECT_TRUE(port.Open(listener.Address(), 115200, 20ms, 1s));
        EXPECT_EQ(port.LastLinkError(), "");  // a new connection is whole
    }
}

}  // namespace
}  // namespace tulvo
