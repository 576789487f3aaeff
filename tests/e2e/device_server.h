#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "child_process.h"

namespace tulvo::test {

// A serial device server on a loopback TCP port in front of a device (the
// simulated gateway's pseudo-terminal): Debian's ser2net or socat, run as a
// child process until Stop or destruction.
class DeviceServer {
  public:
    enum class Kind { Ser2net, Socat };

    // Whether the server's program is installed.
    static bool Available(Kind kind);
    // Starts the server and waits until it takes connections; `workDir`
    // receives its configuration. Started() tells whether it came up, Error()
    // what it printed otherwise.
    DeviceServer(Kind kind, const std::string& device, const std::filesystem::path& workDir);
    ~DeviceServer();
    DeviceServer(const DeviceServer&) = delete;
    DeviceServer& operator=(const DeviceServer&) = delete;

    bool Started() const { return started_; }
    std::string Error() const;
    // tcp://127.0.0.1:PORT
    std::string Address() const;
    int Port() const { return port_; }
    void Stop();

    // A loopback port that was free a moment ago (0 when none was found).
    static int FreePort();
    // Whether something takes connections on the loopback port.
    static bool Accepts(int port);

  private:
    std::unique_ptr<ChildProcess> child_;
    int port_ = 0;
    bool started_ = false;
};

}  // namespace tulvo::test
