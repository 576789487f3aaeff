#pragma once

namespace tulvo {

struct LinkTiming;

// How long the link waits on a gateway: the protocol's own pauses and
// time-outs, or the same proportions scaled down to a read time-out of a
// few milliseconds, for tests and tools that talk to a simulated gateway.
struct LinkSpeed {
    // The read time-out in milliseconds; 0 keeps the protocol's timing.
    int shortReadTimeoutMs = 0;

    static LinkSpeed Protocol() { return {}; }
    static LinkSpeed Short(int readTimeoutMs = 20) { return {readTimeoutMs}; }

    LinkTiming Timing() const;
};

}  // namespace tulvo
