#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tulvo::sim {

// A request as the gateway sees it after unframing: a 6-byte header
// (command, request length low byte, reply length, index low/high, Crc8 of
// the five) and the payload, whose length is told by the frame's end only.
struct Request {
    std::uint8_t command = 0;
    std::uint8_t requestLength = 0;
    std::uint8_t replyLength = 0;
    std::uint16_t index = 0;
    std::vector<std::uint8_t> payload;

    // Nothing when the body is shorter than a header, the header checksum is
    // wrong, or a payload of more than one byte does not end in its checksum.
    static std::optional<Request> Parse(std::span<const std::uint8_t> body);
};

// A reply before framing: status, then (unless silent about it) the payload.
struct Reply {
    std::uint8_t status = 0;
    std::vector<std::uint8_t> payload;  // last byte is replaced by the checksum

    // Reply body: status, four zero bytes, header checksum, then the payload
    // with its last byte set to the checksum of the bytes before it.
    std::vector<std::uint8_t> Body() const;
};

}  // namespace tulvo::sim
