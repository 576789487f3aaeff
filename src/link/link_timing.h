#pragma once

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
    int baudRate = 115200;
    int exitBaudRate = 9600;

    // Short timings for tests: same proportions, milliseconds instead of seconds.
    static LinkTiming Fast(int scaleMs = 20) {
        LinkTiming t;
        t.readTimeout = std::chrono::milliseconds(scaleMs);
        t.noReplyPause = std::chrono::milliseconds(scaleMs / 2);
        t.beforeResyncPause = std::chrono::milliseconds(scaleMs * 3 / 10);
        t.afterResyncPause = std::chrono::milliseconds(scaleMs / 5);
        t.exitPause = std::chrono::milliseconds(scaleMs);
        t.firmwarePause = std::chrono::milliseconds(scaleMs / 10);
        return t;
    }
};

}  // namespace tulvo
