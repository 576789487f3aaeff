#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "child_process.h"

namespace tulvo::test {

// A serial device server on a loopback TCP port, run as a child process
// until Stop or destruction: Debian's ser2net or socat in front of a device
// (the simulated gateway's pseudo-terminal), or, as DeadLine, a socat that
// takes each connection and closes it at once.
class DeviceServer {
  public:
    enum class Kind { Ser2net, Socat, DeadLine };

    static bool Available(Kind kind);
    // A loopback port that was free a moment ago (0 when none was found).
    static int FreePort();

    // Starts the server and waits until it takes connections; `workDir`
    // receives its configuration.
    DeviceServer(Kind kind, const std::string& device, const std::filesystem::path& workDir);
    ~DeviceServer() { Stop(); }

    bool Started() const { return started_; }
    std::string Error() const { return child_ ? child_->Err() : std::string(); }
    std::string Address() const { return "tcp://127.0.0.1:" + std::to_string(port_); }
    void Stop();

  private:
    std::unique_ptr<ChildProcess> child_;
    int port_ = 0;
    bool started_ = false;
};

}  // namespace tulvo::test
