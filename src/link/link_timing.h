#pragma once

#include <algorithm>
#include <chrono>

namespace tulvo {

// Every pause, time-out and baud rate of the link. The defaults are the
// protocol's; tests pass milliseconds so the same code runs quickly.
struct LinkTiming {
    std::chrono::milliseconds readTimeout{1000};       // per-byte wait is twice this
    std::chrono::milliseconds noReplyPause{500};       // after a missing or short reply
    std::chrono::milliseconds beforeResyncPause{300};  // after a checksum mismatch
    std::chrono::milliseconds afterResyncPause{200};   // after the empty frame
    std::chrono::milliseconds exitPause{1000};         // after "+++_EXIT"
    std::chrono::milliseconds firmwarePause{100};      // once, before the 97th program block
    // A network port (tcp://) gives up connecting after this long.
    std::chrono::milliseconds connectTimeout{5000};
    int baudRate = 115200;
    int exitBaudRate = 9600;

    // After a missing reply the line must stay quiet this long before the
    // next attempt, so that a reply coming up to a read time-out late is
    // thrown away rather than taken for the answer to the next request.
    std::chrono::milliseconds LateReplyQuiet() const { return std::max(noReplyPause, readTimeout); }
    // A line that keeps babbling ends that wait after this long in all.
    std::chrono::milliseconds LateReplyLimit() const { return 2 * LateReplyQuiet(); }
    // Bytes still arriving when a request is about to go out are the tail of
    // an earlier reply: they are drained until the line is quiet this long.
    std::chrono::milliseconds StaleBytesQuiet() const {
        return std::max(noReplyPause / 10, std::chrono::milliseconds(1));
    }

    // Short timings for tests: same proportions, milliseconds instead of seconds.
    static LinkTiming Fast(int scaleMs = 20) {
        LinkTiming t;
        t.readTimeout = std::chrono::milliseconds(scaleMs);
        t.noReplyPause = std::chrono::milliseconds(scaleMs / 2);
        t.beforeResyncPause = std::chrono::milliseconds(scaleMs * 3 / 10);
        t.afterResyncPause = std::chrono::milliseconds(scaleMs / 5);
        t.exitPause = std::chrono::milliseconds(scaleMs);
        t.firmwarePause = std::chrono::milliseconds(scaleMs / 10);
        // Connecting costs no link time on loopback; a generous bound keeps
        // a loaded machine from failing a healthy connect.
        t.connectTimeout = std::chrono::milliseconds(scaleMs * 100);
        return t;
    }
};

}  // namespace tulvo
