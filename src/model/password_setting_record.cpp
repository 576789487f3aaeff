#include "model/password_setting_record.h"

namespace tulvo {

template <typename Byte>
std::string BasicPasswordSettingRecord<Byte>::Password() const {
    return this->ReadText(kPassword, kPasswordChars);
}

template <typename Byte>
void BasicPasswordSettingRecord<Byte>::SetPassword(std::string_view text) requires
    MutableByte<Byte> {
    this->StoreText(kPassword, text, kPasswordChars);
    this->Seal();
}

template <typename Byte>
void BasicPasswordSettingRecord<Byte>::Reset() requires MutableByte<Byte> {
    SetPassword("9387");
}

template class BasicPasswordSettingRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::string BasicPasswordSettingRecord<const std::uint8_t>::Password() const;

}  // namespace tulvo
