#include "model/ab_phone_record.h"

#include <algorithm>

namespace tulvo {

template <typename Byte>
std::uint8_t BasicAbPhoneRecord<Byte>::FlagPhone() const {
    return ReadU8(this->ro(), kFlagPhone.offset);
}

template <typename Byte>
std::uint16_t BasicAbPhoneRecord<Byte>::PhoneIndex() const {
    return ReadU16le(this->ro(), kPhoneIndex.offset);
}

template <typename Byte>
std::uint8_t BasicAbPhoneRecord<Byte>::PhoneLen() const {
    return ReadU8(this->ro(), kPhoneLen.offset);
}

template <typename Byte>
std::string BasicAbPhoneRecord<Byte>::PhoneIn() const {
    return this->ReadText(kPhoneIn, kPhoneInChars);
}

template <typename Byte>
std::string BasicAbPhoneRecord<Byte>::PhoneOut() const {
    return this->ReadText(kPhoneOut, kPhoneOutChars);
}

template <typename Byte>
std::string BasicAbPhoneRecord<Byte>::Numbers() const {
    const std::string out = PhoneOut();
    return out.empty() ? PhoneIn() : PhoneIn() + "/" + out;
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::SetFlagPhone(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kFlagPhone.offset, value);
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::SetPhoneIndex(std::uint16_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kPhoneIndex.offset, value);
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::SetPhoneLen(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kPhoneLen.offset, value);
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::SetPhoneIn(std::string_view text) requires MutableByte<Byte> {
    this->StoreText(kPhoneIn, text, kPhoneInChars);
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::SetPhoneOut(std::string_view text) requires MutableByte<Byte> {
    this->StoreText(kPhoneOut, text, kPhoneOutChars);
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::StoreNumbers(std::uint16_t phoneIndex,
                                            std::string_view typed) requires MutableByte<Byte> {
    const std::size_t cut = typed.find_first_of("/\\");
    std::string shortNumber;
    if (cut != std::string_view::npos) {
        for (const char c : typed.substr(cut + 1)) {
            if (c != '/' && c != '\\') {
                shortNumber += c;
            }
        }
    }
    SetPhoneIndex(phoneIndex);
    SetFlagPhone(0);
    SetPhoneIn(typed.substr(0, cut));
    SetPhoneLen(static_cast<std::uint8_t>(std::min<std::size_t>(shortNumber.size(), 255)));
    SetPhoneOut(shortNumber);
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::StoreDeleted(std::uint16_t phoneIndex) requires MutableByte<Byte> {
    SetPhoneIndex(phoneIndex);
    SetFlagPhone(0);
    SetPhoneIn("");
    SetPhoneOut("");
}

template <typename Byte>
void BasicAbPhoneRecord<Byte>::Reset() requires MutableByte<Byte> {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    WriteU8(this->rw(), kFlagPhone.offset, kNotInUse);
    WriteU16le(this->rw(), kPhoneIndex.offset, 0xFFFF);
    this->Seal();
}

template class BasicAbPhoneRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicAbPhoneRecord<const std::uint8_t>::FlagPhone() const;
template std::uint16_t BasicAbPhoneRecord<const std::uint8_t>::PhoneIndex() const;
template std::uint8_t BasicAbPhoneRecord<const std::uint8_t>::PhoneLen() const;
template std::string BasicAbPhoneRecord<const std::uint8_t>::PhoneIn() const;
template std::string BasicAbPhoneRecord<const std::uint8_t>::PhoneOut() const;
template std::string BasicAbPhoneRecord<const std::uint8_t>::Numbers() const;

}  // namespace tulvo
