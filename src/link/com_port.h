#pragma once

#include <termios.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "link/link_timing.h"
#include "link/network_address.h"

namespace tulvo {

// One serial port (a POSIX tty in raw 8N1 mode, no flow control) carrying the
// link's frames. It knows nothing of requests or checksums. Every operation
// returns a success flag; none throws.
//
// A device named tcp://HOST:PORT is a serial device server's line reached
// over TCP instead: the same reads, frames and time-outs on a socket. The
// server owns the line settings, so those are left alone, and the end of
// the connection is a hang-up (see LastLinkError).
class TComPort {
  public:
    TComPort() = default;
    ~TComPort();
    TComPort(const TComPort&) = delete;
    TComPort& operator=(const TComPort&) = delete;

    // Opens the device exclusively when the port is closed, then (on the new
    // or already open descriptor) applies the line settings and the time-out.
    // If applying fails the port is closed. A device that another process
    // has open is refused (the far end of a pseudo-terminal excepted, see
    // FindHolder): the exclusive flag binds neither root nor a program that
    // opened the port first, and a second reader would take the replies. On
    // failure LastError() holds the reason in words fit for an operator,
    // naming the program that holds the port when there is one. The line
    // settings the device had are put back by Close. A network port is
    // connected within connectTimeout; a connection that cannot be made
    // fails the same way, with host, port and the system's reason.
    bool Open(const std::string& device, int baud, std::chrono::milliseconds timeout,
              std::chrono::milliseconds connectTimeout = LinkTiming{}.connectTimeout);
    // Applies the line settings with another rate; on failure the port closes.
    // A network port has none to apply: the device server sets the rate.
    bool SetBaudRate(int baud);
    // Discards everything waiting in both directions, including bytes already
    // taken from the driver into this object's read-ahead buffer.
    bool Purge();
    // Puts back the line settings the device had when Open took it. Always true.
    bool Close();

    using Clock = std::chrono::steady_clock;

    // Reads one byte, waiting for it until `deadline` at most. False on
    // time-out, hang-up or read error.
    bool ReadByte(std::uint8_t& byte, Clock::time_point deadline);
    // Reads one byte, waiting at most twice the time-out given to Open.
    bool ReadByte(std::uint8_t& byte);
    // Encodes n data bytes as one frame, writes it whole and waits until the
    // driver has passed it on. True only if every byte of the frame was taken.
    bool WriteFrame(const std::uint8_t* data, std::size_t n);
    // Waits for the next frame and stores at most `limit` decoded body bytes.
    // Returns the count stored; 0 when closed, on a failed read or an empty body.
    // Each byte is waited for at most twice the time-out, and the call as a
    // whole is bounded too: the start byte must come within twice the
    // time-out and the frame must be complete within four times the time-out,
    // so a line that trickles stray bytes cannot hold the caller.
    std::size_t ReadFrame(std::uint8_t* buffer, std::size_t limit);

    // Reads and throws away whatever arrives until the line has stayed quiet
    // for `quiet`, or `limit` has passed in all, so it takes at least the
    // shorter of the two. False at once when the port cannot be read (closed,
    // hung up). How many bytes were thrown away goes to *discarded when given.
    bool Drain(std::chrono::milliseconds quiet, std::chrono::milliseconds limit,
               std::size_t* discarded = nullptr);
    // Whether received bytes are waiting to be read now.
    bool BytesWaiting();

    bool IsOpen() const { return fd_ >= 0; }
    const std::string& LastError() const { return lastError_; }
    // Why a network port's connection ended while it was open, for the
    // operator ("Соединение с HOST:PORT разорвано ..."); empty while it is
    // whole, for a serial port, and again after the next Open.
    const std::string& LastLinkError() const { return lastLinkError_; }

    // A process that has a device open.
    struct Holder {
        long pid = 0;
        std::string name;  // the program's name as the process table gives it
    };
    // The first process other than this one whose open files under procRoot
    // (procRoot/<pid>/fd/*) include the character device `device`. A process
    // that also holds the master of the pseudo-terminal `device` is its other
    // end (a bridge such as socat keeps both sides open) and is passed over.
    static std::optional<Holder> FindHolder(const std::string& device,
                                            const std::filesystem::path& procRoot = "/proc");

    // Bytes discarded while hunting for a start byte before ReadFrame gives
    // up, so a line that only carries noise cannot hold the caller forever.
    static constexpr std::size_t kMaxHuntBytes = 65536;

  private:
    bool OpenDevice(const std::string& device);
    bool Connect(const std::string& device, std::chrono::milliseconds timeout);
    // Keeps the first reason a network connection ended (errorNumber: the
    // failed call's errno, 0 for the far end's close).
    void NoteDrop(int errorNumber);
    bool ApplyLineSettings(int baud);
    enum class Wait { Readable, TimedOut, Broken };
    // Waits until the port is readable or the deadline passes.
    Wait WaitReadable(Clock::time_point deadline) const;
    bool FillReadAhead(Clock::time_point deadline);
    void CloseDescriptor();

    int fd_ = -1;
    std::chrono::milliseconds timeout_{1000};
    std::string device_;                    // path of the open device, for messages
    std::optional<termios> savedSettings_;  // the device's own, put back on close
    std::string lastError_;
    std::optional<NetworkAddress> network_;  // set while a network port is open
    std::string lastLinkError_;
    std::array<std::uint8_t, 4096> readAhead_{};
    std::size_t readPos_ = 0;
    std::size_t readEnd_ = 0;
    std::vector<std::uint8_t> frameOut_;
};

}  // namespace tulvo
