#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "link/network_address.h"

namespace tulvo {

// The socket operations a network port needs where a serial port has its
// termios calls. Every function works on a connected stream socket and
// never raises SIGPIPE.
class TcpConnection {
  public:
    // Connects to the address within `timeout` (name lookup included) and returns a blocking,
    // close-on-exec socket that sends each write at once (no Nagle delay); -1 on failure, with the
    // reason in words fit for an operator in `why`.
    static int Connect(const NetworkAddress& address, std::chrono::milliseconds timeout,
                       std::string& why);
    // Throws away every byte that has arrived and not been read yet. False
    // when the connection has ended.
    static bool DiscardPending(int fd);
    // Sends the bytes whole; false when the connection refuses them (errno
    // tells why).
    static bool SendAll(int fd, const std::uint8_t* data, std::size_t n);
    // What ended the connection, for the operator: the socket's pending
    // error (ECONNRESET...), or errorNumber when given, or the far end's
    // close when neither is.
    static std::string DescribeDrop(int fd, const NetworkAddress& address, int errorNumber = 0);
};

}  // namespace tulvo
