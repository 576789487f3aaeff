#include "model/sms_message_record.h"

#include <algorithm>

namespace tulvo {

template <typename Byte>
std::string BasicSmsMessageRecord<Byte>::Text() const {
    return this->ChecksumValid() ? this->ReadText(kText, kTextChars) : std::string();
}

template <typename Byte>
void BasicSmsMessageRecord<Byte>::SetText(std::string_view text) requires MutableByte<Byte> {
    this->StoreText(kText, text, kTextChars);
    this->Seal();
}

template <typename Byte>
void BasicSmsMessageRecord<Byte>::Reset() requires MutableByte<Byte> {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
}

template class BasicSmsMessageRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::string BasicSmsMessageRecord<const std::uint8_t>::Text() const;

}  // namespace tulvo
