#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/fault_set.h"
#include "sim/gateway_state.h"
#include "sim/pacing.h"
#include "sim/pseudo_terminal.h"
#include "sim/request_handler.h"
#include "sim/request_log.h"

namespace tulvo::sim {

// The simulated gateway: serves the command set on the master side of a
// pseudo-terminal from its own thread. A serial client opens DevicePath().
//
//   Gateway gw;
//   gw.State().Put(RecordFamily::AbInfo, 0, record);
//   gw.Faults().Add({.kind = FaultRule::Kind::Silence, .command = command::ReadAbInfo.Code()});
//   gw.Start();
//   ... TPortMost port(LinkTiming::Fast()); port.Open(gw.DevicePath()); ...
//   gw.Log().WaitForCount(3, 1s);
class Gateway {
  public:
    Gateway();
    ~Gateway();
    Gateway(const Gateway&) = delete;
    Gateway& operator=(const Gateway&) = delete;

    // Opens the pseudo-terminal and starts serving. False (see Error()) when
    // the pseudo-terminal cannot be opened or the gateway is already running.
    bool Start();
    // Stops serving and closes the pseudo-terminal; returns promptly.
    void Stop();
    bool Running() const { return running_.load(); }

    // The slave device path a client opens (empty before Start()).
    const std::string& DevicePath() const { return devicePath_; }
    const std::string& Error() const { return error_; }

    GatewayState& State() { return state_; }
    FaultSet& Faults() { return faults_; }
    RequestLog& Log() { return log_; }

    void SetPacing(const Pacing& pacing);
    Pacing CurrentPacing() const;
    // Sum of the paced exchange times of the replies sent so far: what the
    // exchanges would take on a real wire at the pacing's baud rate.
    std::chrono::microseconds ModelledTime() const;
    void ResetModelledTime();

    // Closes the master side, as when the device is unplugged: the client's
    // reads end with a hang-up. Serving stops; Stop() still has to be called.
    // Returns once the port is closed.
    void HangUp();
    bool HungUp() const { return hungUp_.load(); }
    // Waits until the port has been closed by a hang-up (asked for or caused
    // by a fault rule); false after the timeout.
    bool WaitForHangUp(std::chrono::milliseconds timeout);

  private:
    void Serve();
    // Waits a little while no client has the port open.
    void WaitForClient();
    void HandleFrame(const std::vector<std::uint8_t>& body,
                     std::chrono::steady_clock::time_point firstByte, std::size_t wireBytes);
    void SendReply(const Request& request, std::chrono::steady_clock::time_point firstByte,
                   std::size_t requestWireBytes);
    // Waits until the deadline; false when told to stop (or hang up) meanwhile.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);
    bool WriteAll(const std::vector<std::uint8_t>& bytes);
    void WritePaced(const std::vector<std::uint8_t>& wire,
                    std::chrono::steady_clock::time_point due);
    void CloseMaster();
    void Wake();

    PseudoTerminal pty_;
    std::string devicePath_;
    std::string error_;
    GatewayState state_;
    FaultSet faults_;
    RequestLog log_;
    RequestHandler handler_{state_};

    mutable std::mutex pacingMutex_;
    Pacing pacing_;

    std::atomic<long long> modelledMicroseconds_{0};
    std::thread thread_;
    int wakeFd_ = -1;  // eventfd that interrupts the serving thread's poll
    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> hangUpRequested_{false};
    std::atomic<bool> hungUp_{false};
    std::mutex hangUpMutex_;
    std::condition_variable hangUpDone_;
};

}  // namespace tulvo::sim
