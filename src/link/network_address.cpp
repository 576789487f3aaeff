#include "link/network_address.h"

#include <algorithm>
#include <cctype>

namespace tulvo {
namespace {

// Longest host name the resolver takes.
constexpr std::size_t kMaxHostLength = 253;

bool IsHostNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

// The inside of [...]: hexadecimal groups, colons, an embedded IPv4 tail and
// an optional %zone (an interface name).
bool IsIpv6Literal(std::string_view text) {
    const std::size_t zone = text.find('%');
    const std::string_view address = text.substr(0, zone);
    if (address.find(':') == std::string_view::npos) {
        return false;
    }
    const bool addressOk = std::all_of(address.begin(), address.end(), [](char c) {
        return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
    });
    if (zone == std::string_view::npos) {
        return addressOk;
    }
    const std::string_view name = text.substr(zone + 1);
    return addressOk && !name.empty() && std::all_of(name.begin(), name.end(), IsHostNameChar);
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        })) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

// The host part's problem, empty when it is fine.
std::string HostProblem(std::string_view host, bool bracketed) {
    if (host.empty()) {
        return "не указан узел";
    }
    if (bracketed) {
        return IsIpv6Literal(host) ? "" : "в квадратных скобках ожидается адрес IPv6";
    }
    if (host.find(':') != std::string_view::npos) {
        return "адрес IPv6 записывается в квадратных скобках";
    }
    if (host.size() > kMaxHostLength || !std::all_of(host.begin(), host.end(), IsHostNameChar)) {
        return "недопустимое имя узла";
    }
    return {};
}

}  // namespace

bool NetworkAddress::IsNetworkName(std::string_view name) {
    return name.starts_with(kScheme);
}

std::optional<NetworkAddress> NetworkAddress::Parse(std::string_view text, std::string* why) {
    auto refuse = [&](const std::string& reason) -> std::optional<NetworkAddress> {
        if (why != nullptr) {
            *why = "Неверный сетевой адрес «" + std::string(text) + "»: " + reason +
                   ". Ожидается tcp://УЗЕЛ:ПОРТ.";
        }
        return std::nullopt;
    };
    if (!IsNetworkName(text)) {
        return refuse("адрес начинается не с tcp://");
    }
    const std::string_view rest = text.substr(kScheme.size());
    const bool bracketed = rest.starts_with('[');
    const std::size_t close = bracketed ? rest.find(']') : std::string_view::npos;
    if (bracketed && close == std::string_view::npos) {
        return refuse("нет закрывающей скобки ]");
    }
    const std::size_t colon = bracketed ? close + 1 : rest.rfind(':');
    if (colon >= rest.size() || rest[colon] != ':') {
        return refuse("не указан порт");
    }
    const std::string_view host = bracketed ? rest.substr(1, close - 1) : rest.substr(0, colon);
    if (const std::string problem = HostProblem(host, bracketed); !problem.empty()) {
        return refuse(problem);
    }
    const std::optional<std::uint16_t> port = ParsePort(rest.substr(colon + 1));
    if (!port) {
        return refuse("порт должен быть числом от 1 до 65535");
    }
    return NetworkAddress{std::string(host), *port};
}

std::string NetworkAddress::HostPort() const {
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::string NetworkAddress::Text() const {
    return std::string(kScheme) + HostPort();
}

}  // namespace tulvo
