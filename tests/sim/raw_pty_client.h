#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tulvo::test {

// A bare client of a pseudo-terminal slave: writes raw bytes and reads raw
// frames back, so tests see exactly what travels on the wire.
class RawPtyClient {
  public:
    explicit RawPtyClient(const std::string& path);
    ~RawPtyClient();
    RawPtyClient(const RawPtyClient&) = delete;
    RawPtyClient& operator=(const RawPtyClient&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    void Send(const std::vector<std::uint8_t>& wire);
    // Frames `body` and sends it.
    void SendFrame(const std::vector<std::uint8_t>& body);
    // Sends a request: header with its checksum, then the payload with its
    // last byte replaced by the payload checksum (when longer than one byte).
    void SendRequest(std::uint8_t command, std::uint16_t index, std::uint8_t replyLength,
                     std::vector<std::uint8_t> payload = {});

    // The body of the next frame, or nothing when none completes in time.
    std::optional<std::vector<std::uint8_t>> ReadFrame(std::chrono::milliseconds timeout);
    // The raw bytes of the next complete frame (start to end byte).
    std::optional<std::vector<std::uint8_t>> ReadWireFrame(std::chrono::milliseconds timeout);
    // Throws away whatever has arrived and was not read.
    void Discard();
    // True when the other side hung up within the timeout.
    bool WaitForHangUp(std::chrono::milliseconds timeout);

  private:
    int fd_ = -1;
};

}  // namespace tulvo::test
