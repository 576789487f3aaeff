#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sim/pseudo_terminal.h"

namespace tulvo::test {

// A scripted far end of a serial link: the master side of a pseudo-terminal,
// served by its own thread. Every frame the client sends (bytes up to and
// including an 0x0D) is recorded with the time it arrived and the line speed
// in force, then handed to the responder, whose answer (raw wire bytes) is
// written back at once. No answer means silence.
class PtyPeer {
  public:
    using Bytes = std::vector<std::uint8_t>;
    using Clock = std::chrono::steady_clock;
    struct Frame {
        Bytes wire;  // as received, start and end bytes included
        Clock::time_point at;
        unsigned baud = 0;  // output speed of the line when it arrived
    };
    using Responder = std::function<std::optional<Bytes>(const Frame& frame, std::size_t number)>;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& DevicePath() const { return path_; }

    // number counts received frames from 0.
    void SetResponder(Responder responder);
    // Writes bytes to the client now, in chunks small enough for the pty.
    void Send(const Bytes& bytes);
    // Closes the master side: the client sees a hang-up.
    void HangUp();

    std::vector<Frame> Frames() const;
    // Waits (bounded) until at least n frames have arrived.
    bool WaitForFrames(std::size_t n, std::chrono::milliseconds deadline = std::chrono::seconds(5));

  private:
    void Serve();
    void OnFrame(Frame frame);
    void Stop();

    sim::PseudoTerminal pty_;
    std::string path_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Frame> frames_;
    Responder responder_;
    std::mutex writeMutex_;
    std::thread thread_;
};

// Wire bytes of a reply frame: status, four header bytes, header checksum,
// then the payload (its last byte replaced by the payload checksum when it
// has two or more bytes). The corrupt flags spoil one checksum each.
PtyPeer::Bytes ReplyFrame(std::uint8_t status, PtyPeer::Bytes payload = {},
                          bool corruptHeader = false, bool corruptPayload = false);

// The body of a frame, unescaped (start and end bytes dropped).
PtyPeer::Bytes FrameBody(const PtyPeer::Bytes& wire);

}  // namespace tulvo::test
