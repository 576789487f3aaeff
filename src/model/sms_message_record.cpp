#include "model/sms_message_record.h"

#include <algorithm>

namespace tulvo {

template <typename Byte>
std::string BasicSmsMessageRecord<Byte>::Text() const {
    return this->ChecksumValid() ? this->ReadText(kText, kTextChars) : std::string();
}

template <typename Byte>
void BasicSmsMessageRecord<Byte>::SetText(std::string_view text) const requires Base::kMutable {
    this->StoreText(kText, text, kTextChars);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicSmsMessageRecord<Byte>::Reset() const requires Base::kMutable {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
}

template class BasicSmsMessageRecord<std::uint8_t>;
template class BasicSmsMessageRecord<const std::uint8_t>;

}  // namespace tulvo
