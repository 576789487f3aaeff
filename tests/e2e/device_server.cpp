#include "device_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <vector>

namespace tulvo::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSocat = "/usr/bin/socat";
constexpr const char* kSer2net = "/usr/sbin/ser2net";

// Binds (port 0: any free port) or connects a loopback socket; the port, or
// 0 when that fails.
int Loopback(int port, bool connect) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{AF_INET, htons(static_cast<std::uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof a;
    auto* address = reinterpret_cast<sockaddr*>(&a);
    const bool done =
        connect ? ::connect(fd, address, length) == 0
                : ::bind(fd, address, length) == 0 && ::getsockname(fd, address, &length) == 0;
    ::close(fd);
    return done ? ntohs(a.sin_port) : 0;
}

}  // namespace

bool DeviceServer::Available(Kind kind) {
    return ::access(kind == Kind::Socat ? kSocat : kSer2net, X_OK) == 0;
}

int DeviceServer::FreePort() {
    return Loopback(0, false);
}

bool DeviceServer::Accepts(int port) {
    return Loopback(port, true) != 0;
}

DeviceServer::DeviceServer(Kind kind, const std::string& device,
                           const std::filesystem::path& workDir)
    : port_(FreePort()) {
    std::vector<std::string> argv = {
        kSocat, "-d", "-d", "TCP-LISTEN:" + std::to_string(port_) + ",bind=127.0.0.1,reuseaddr",
        "FILE:" + device + ",raw,echo=0"};
    if (kind == Kind::Ser2net) {
        const auto config = workDir / "ser2net.yaml";
        std::ofstream(config) << "connection: &gw\n  accepter: tcp,127.0.0.1," << port_
                              << "\n  connector: serialdev," << device << ",115200n81,local\n";
        argv = {kSer2net, "-n", "-d", "-c", config.string()};
    }
    child_ = std::make_unique<ChildProcess>(argv);
    // Ready once it accepts; between tries its output is read for a moment.
    for (const auto end = std::chrono::steady_clock::now() + 10s;
         child_->Started() && std::chrono::steady_clock::now() < end;) {
        started_ = kind == Kind::Socat ? child_->Err().find("listening on") != std::string::npos
                                       : Accepts(port_);
        if (started_) {
            return;
        }
        child_->ReadLine(20ms);
    }
}

DeviceServer::~DeviceServer() {
    Stop();
}

std::string DeviceServer::Error() const {
    return child_ ? child_->Err() : std::string();
}

std::string DeviceServer::Address() const {
    return "tcp://127.0.0.1:" + std::to_string(port_);
}

void DeviceServer::Stop() {
    if (child_) {
        child_->Signal(SIGTERM);
        child_->Wait(10s);
        child_.reset();
    }
}

}  // namespace tulvo::test
