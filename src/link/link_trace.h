#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tulvo {

// One thing that happened on the link, as TPortMost reports it to a trace.
// The spans and texts point into the link's own buffers and are valid only
// during the Record call that receives the event.
struct TraceEvent {
    enum class Kind : std::uint8_t {
        Open,           // the port opened, or did not (failure OpenFailed)
        Close,          // the port closed
        Request,        // a request frame went out (failure WriteFailed: not all of it)
        Reply,          // a reply frame came in; failure says why it fails its attempt
        AttemptFailed,  // an attempt ended without an answer, for the reason in failure
        Resync,         // the empty frame that resynchronises the gateway went out
        Drained,        // late or stale bytes were thrown away (count)
        Exit,           // the exit sequence went out at exitBaudRate (bytes)
    };
    // Why an attempt did not complete the transaction.
    enum class Failure : std::uint8_t {
        None,
        NoReply,              // nothing (or no whole frame) came in time
        BrokenFrame,          // too short for a header, or a checksum does not hold
        LongerThanAnnounced,  // more payload than the request asked for
        ShortReply,           // status 0 with less payload than asked for
        WriteFailed,          // the port did not take the whole request
        OpenFailed,           // the port did not open (detail: the system's reason)
    };

    Kind kind = Kind::Request;
    Failure failure = Failure::None;
    std::chrono::system_clock::time_point time{};
    // The request this event belongs to (Request, Reply, AttemptFailed).
    std::uint8_t command = 0;
    int requestLength = 0;
    int replyLength = 0;
    std::uint16_t index = 0;
    int attempt = 0;   // 1-based
    int attempts = 0;  // the command's attempts
    // Frame body before escaping: header and payload as sent or received.
    std::span<const std::uint8_t> bytes{};
    std::size_t count = 0;      // Drained: bytes thrown away; Exit: the baud rate
    std::string_view device{};  // Open
    std::string_view detail{};  // Open: the system's reason it did not open
};

// Where TPortMost reports its traffic. Record is called on the thread that
// uses the link, once per event, and must not call back into the link.
class LinkTrace {
  public:
    virtual ~LinkTrace() = default;
    virtual void Record(const TraceEvent& event) = 0;
};

}  // namespace tulvo
