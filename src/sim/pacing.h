#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace tulvo::sim {

// How fast the simulated wire is. Each byte takes 10 bit times (start, 8 data,
// stop) in either direction; baud 0 means no wire delay at all.
struct Pacing {
    int baud = 0;
    std::chrono::microseconds latency{0};  // the gateway's own time per request

    // Time the bytes of a request and its reply spend on the wire, plus latency.
    std::chrono::microseconds ExchangeTime(std::size_t requestWireBytes,
                                           std::size_t replyWireBytes) const {
        std::chrono::microseconds wire{0};
        if (baud > 0) {
            const auto bits = static_cast<long long>(requestWireBytes + replyWireBytes) * 10;
            wire = std::chrono::microseconds(bits * 1000000 / baud);
        }
        return wire + latency;
    }

    // Whether the wire may run at `baud`: only at a rate a serial port of the
    // link can be set to, so that the pacing is that of a real line.
    static bool IsLineRate(int baud);
    // Every such rate, ascending, separated by spaces.
    static std::string LineRatesText();

    // Time one byte spends on the wire.
    std::chrono::microseconds ByteTime() const {
        return baud > 0 ? std::chrono::microseconds(10LL * 1000000 / baud)
                        : std::chrono::microseconds(0);
    }
};

}  // namespace tulvo::sim
