#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tulvo {

// The address of a serial device server that serves the gateway's line on a
// TCP port (raw "TCP server" mode, ser2net): tcp://HOST:PORT, HOST a name,
// an IPv4 address or an IPv6 address in brackets, PORT 1 to 65535. Only a
// name that starts with tcp:// is a network port; every other name is a
// serial port as before.
struct NetworkAddress {
    static constexpr std::string_view kScheme = "tcp://";

    std::string host;  // without the brackets of an IPv6 address
    std::uint16_t port = 0;

    // Whether the name asks for a network port (well-formed or not).
    static bool IsNetworkName(std::string_view name);
    // The address, or nothing with the reason in *why (Russian, for the
    // operator) when the text is not a well-formed tcp://HOST:PORT.
    static std::optional<NetworkAddress> Parse(std::string_view text, std::string* why = nullptr);

    // HOST:PORT as the operator reads it ([::1]:4001 for IPv6).
    std::string HostPort() const;
    // tcp://HOST:PORT.
    std::string Text() const;

    bool operator==(const NetworkAddress&) const = default;
};

}  // namespace tulvo
