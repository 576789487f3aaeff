#include "sim/fault_rule.h"

#include <charconv>
#include <map>
#include <string_view>
#include <vector>

namespace tulvo::sim {

namespace {

const std::map<std::string_view, FaultRule::Kind>& KindNames() {
    static const std::map<std::string_view, FaultRule::Kind> names = {
        {"silent", FaultRule::Kind::Silence},      {"delay", FaultRule::Kind::Delay},
        {"badheader", FaultRule::Kind::BadHeader}, {"badpayload", FaultRule::Kind::BadPayload},
        {"status", FaultRule::Kind::Status},       {"noise", FaultRule::Kind::Noise},
        {"hangup", FaultRule::Kind::HangUp},       {"xor63", FaultRule::Kind::Undetectable},
    };
    return names;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool ParseInt(std::string_view text, int base, int& out) {
    if (base == 16 && text.starts_with("0x")) {
        text.remove_prefix(2);
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseRate(std::string_view text, double& out) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size() && out >= 0.0 && out <= 1.0;
}

// Applies one key=value field; false when the key or value is bad.
bool ApplyField(std::string_view key, std::string_view value, FaultRule& rule) {
    int number = 0;
    if (key == "rate") {
        return ParseRate(value, rule.rate);
    }
    if (!ParseInt(value, key == "cmd" ? 16 : 10, number) || number < -1) {
        return false;
    }
    if (key == "cmd") {
        rule.command = number;
        return number <= 0xFF;
    }
    if (key == "from" || key == "index") {
        rule.fromIndex = number;
    }
    if (key == "to" || key == "index") {
        rule.toIndex = number;
    }
    if (key == "from" || key == "to" || key == "index") {
        return number >= 0 && number <= 0xFFFF;
    }
    if (key == "count") {
        rule.count = number;
        return true;
    }
    if (key == "ms") {
        rule.delay = std::chrono::milliseconds(number);
        return number >= 0;
    }
    if (key == "byte") {
        rule.byte = number;
        return number >= 0 && number < 530;
    }
    if (key == "status") {
        rule.status = static_cast<std::uint8_t>(number);
        return number >= 0 && number <= 0xFF;
    }
    return false;
}

}  // namespace

bool FaultRule::Matches(std::uint8_t requestCommand, std::uint16_t requestIndex) const {
    return count != 0 && (command < 0 || command == requestCommand) && requestIndex >= fromIndex &&
           requestIndex <= toIndex;
}

std::optional<FaultRule> ParseFaultRule(const std::string& text, std::string* error) {
    auto fail = [&](const std::string& why) -> std::optional<FaultRule> {
        if (error != nullptr) {
            *error = "bad fault rule \"" + text + "\": " + why;
        }
        return std::nullopt;
    };
    const auto parts = Split(text, ':');
    const auto kind = KindNames().find(parts.front());
    if (kind == KindNames().end()) {
        return fail("unknown kind");
    }
    FaultRule rule;
    rule.kind = kind->second;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::size_t eq = parts[i].find('=');
        if (eq == std::string_view::npos) {
            return fail("expected key=value, got \"" + std::string(parts[i]) + "\"");
        }
        if (!ApplyField(parts[i].substr(0, eq), parts[i].substr(eq + 1), rule)) {
            return fail("bad field \"" + std::string(parts[i]) + "\"");
        }
    }
    if (rule.fromIndex > rule.toIndex) {
        return fail("from is above to");
    }
    return rule;
}

const char* FaultRuleSyntax() {
    return "KIND[:cmd=HEX][:from=N][:to=N][:index=N][:count=N][:ms=N][:status=N][:rate=P]"
           "[:byte=N]\n"
           "  KIND: silent | delay | badheader | badpayload | status | noise | hangup | xor63\n"
           "  cmd: command code in hex (default any); from/to or index: request index range;\n"
           "  count: affected requests (default all); ms: delay; status: reply status;\n"
           "  rate: probability (0..1) that each reply byte is damaged;\n"
           "  byte: payload byte that xor63 changes (a change the checksum cannot see)\n"
           "  e.g. silent:cmd=07:from=150:to=300  delay:ms=200  status:cmd=05:index=2:status=3";
}

}  // namespace tulvo::sim
