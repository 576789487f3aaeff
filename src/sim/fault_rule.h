#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tulvo::sim {

// One way the gateway misbehaves, for the requests it matches. A silenced,
// hung-up or status-forced request is not carried out (nothing is stored);
// the other kinds damage or delay the reply of a request that was.
struct FaultRule {
    enum class Kind {
        Silence,     // no reply at all
        Delay,       // reply after `delay`
        BadHeader,   // header checksum of the reply is wrong
        BadPayload,  // payload checksum of the reply is wrong (if it has one)
        Status,      // reply carries `status` and no payload
        Noise,       // each reply byte on the wire is damaged with probability `rate`
        HangUp,      // the port disappears instead of a reply
        // XOR 0x63 into payload byte `byte` of the reply: the link's 8-bit
        // checksum cannot see it (its generator is x^2 times that pattern),
        // unless it hits the checksum byte itself.
        Undetectable,
    };

    Kind kind = Kind::Silence;
    int command = -1;   // request command code to match, -1 = any
    int fromIndex = 0;  // request index range to match, inclusive
    int toIndex = 0xFFFF;
    int count = -1;  // how many matching requests it affects, -1 = all
    std::chrono::milliseconds delay{0};
    std::uint8_t status = 1;
    double rate = 0.0;
    int byte = 0;  // payload offset for Undetectable

    bool Matches(std::uint8_t requestCommand, std::uint16_t requestIndex) const;
};

// Text form, as given on the command line:
//   KIND[:cmd=HEX][:from=N][:to=N][:index=N][:count=N][:ms=N][:status=N][:rate=P][:byte=N]
// KIND is silent, delay, badheader, badpayload, status, noise, hangup or xor63.
// Examples: "silent:cmd=07:from=150:to=300", "delay:ms=200",
// "status:cmd=05:index=2:status=3", "noise:rate=0.01", "badheader:count=1",
// "xor63:cmd=07:index=4:count=1:byte=2".
// Returns nothing (and sets *error) when the text does not parse.
std::optional<FaultRule> ParseFaultRule(const std::string& text, std::string* error = nullptr);

// The grammar above, for help texts.
const char* FaultRuleSyntax();

}  // namespace tulvo::sim
