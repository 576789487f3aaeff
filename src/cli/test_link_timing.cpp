#include "cli/test_link_timing.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace tulvo::cli {

LinkSpeed LinkSpeedFromEnvironment() {
    const char* value = std::getenv(kTestLinkTimingVariable);
    if (value == nullptr) {
        return {};
    }
    const std::string_view text(value);
    int ms = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
    if (error != std::errc() || end != text.data() + text.size() || ms < 1 || ms > 10000) {
        return {};
    }
    return LinkSpeed::Short(ms);
}

}  // namespace tulvo::cli
