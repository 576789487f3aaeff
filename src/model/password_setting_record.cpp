#include "model/password_setting_record.h"

namespace tulvo {

template <typename Byte>
std::string BasicPasswordSettingRecord<Byte>::Password() const {
    return this->ReadText(kPassword, kPasswordChars);
}

template <typename Byte>
void BasicPasswordSettingRecord<Byte>::SetPassword(
    std::string_view text) const requires Base::kMutable {
    this->StoreText(kPassword, text, kPasswordChars);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicPasswordSettingRecord<Byte>::Reset() const requires Base::kMutable {
    SetPassword("9387");
}

template class BasicPasswordSettingRecord<std::uint8_t>;
template class BasicPasswordSettingRecord<const std::uint8_t>;

}  // namespace tulvo
