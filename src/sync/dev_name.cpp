#include "sync/dev_name.h"

#include <algorithm>

#include "link/command_table.h"
#include "sync/sealed_text.h"

namespace tulvo {

static_assert(CarriesRecord(command::ReadDevName, command::WriteDevName, DevName::kSize));

DevName::Payload DevName::Build(std::string_view text) {
    return SealedText<kSize>(text, kMaxLength);
}

std::string DevName::Parse(std::span<const std::uint8_t> payload) {
    const std::size_t end = std::min(payload.size(), kSize - 1);
    std::string text;
    for (std::size_t i = 0; i < end && payload[i] != 0; ++i) {
        text.push_back(static_cast<char>(payload[i]));
    }
    return text;
}

}  // namespace tulvo
