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
    return ::access(kind == Kind::Ser2net ? "/usr/sbin/ser2net" : "/usr/bin/socat", X_OK) == 0;
}

int DeviceServer::FreePort() {
    return Loopback(0, false);
}

DeviceServer::DeviceServer(Kind kind, const std::string& device,
                           const std::filesystem::path& workDir)
    : port_(FreePort()) {
    const std::string listen = "TCP-LISTEN:" + std::to_string(port_) + ",bind=127.0.0.1,reuseaddr";
    std::vector<std::string> argv = {"/usr/bin/socat", "-d", "-d", listen,
                                     "FILE:" + device + ",raw,echo=0"};
    if (kind == Kind::DeadLine) {
        argv = {"/usr/bin/socat", "-d", "-d", listen + ",fork", "SYSTEM:true"};
    } else if (kind == Kind::Ser2net) {
        const auto config = workDir / "ser2net.yaml";
        std::ofstream(config) << "connection: &gw\n  accepter: tcp,127.0.0.1," << port_
                              << "\n  connector: serialdev," << device << ",115200n81,local\n";
        argv = {"/usr/sbin/ser2net", "-n", "-d", "-c", config.string()};
    }
    child_ = std::make_unique<ChildProcess>(argv);
    // Ready once it listens (a plain socat serves one connection only, so
    // it is not tried); between looks its output is read for a moment.
    for (const auto end = std::chrono::steady_clock::now() + 10s;
         !started_ && child_->Started() && std::chrono::steady_clock::now() < end;) {
        child_->ReadLine(20ms);
        started_ = kind == Kind::Ser2net ? Loopback(port_, true) != 0
                                         : child_->Err().find("listening on") != std::string::npos;
    }
}

void DeviceServer::Stop() {
    if (child_) {
        child_->Signal(SIGTERM);
        child_->Wait(10s);
        child_.reset();
    }
}

}  // namespace tulvo::test
