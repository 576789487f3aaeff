#include "model/black_list_record.h"

namespace tulvo {

template <typename Byte>
std::uint8_t BasicBlackListRecord<Byte>::FLAG() const {
    return ReadU8(this->ro(), kFLAG.offset);
}
template <typename Byte>
bool BasicBlackListRecord<Byte>::Empty() const {
    return (FLAG() & kEmpty) != 0;
}
template <typename Byte>
std::uint8_t BasicBlackListRecord<Byte>::GM() const {
    return ReadU8(this->ro(), kGM.offset);
}
template <typename Byte>
std::string BasicBlackListRecord<Byte>::NUM() const {
    return this->ReadText(kNUM, kNUMChars);
}

template <typename Byte>
void BasicBlackListRecord<Byte>::SetFLAG(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kFLAG.offset, value);
    this->Seal();
}
template <typename Byte>
void BasicBlackListRecord<Byte>::SetGM(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kGM.offset, value);
    this->Seal();
}
template <typename Byte>
void BasicBlackListRecord<Byte>::SetNUM(std::string_view text) requires MutableByte<Byte> {
    this->StoreText(kNUM, text, kNUMChars);
    this->Seal();
}

template <typename Byte>
void BasicBlackListRecord<Byte>::Reset() requires MutableByte<Byte> {
    WriteU8(this->rw(), kFLAG.offset, kEmpty);
    WriteU8(this->rw(), kGM.offset, 0);
    SetNUM("");
}

template class BasicBlackListRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicBlackListRecord<const std::uint8_t>::FLAG() const;
template bool BasicBlackListRecord<const std::uint8_t>::Empty() const;
template std::uint8_t BasicBlackListRecord<const std::uint8_t>::GM() const;
template std::string BasicBlackListRecord<const std::uint8_t>::NUM() const;

}  // namespace tulvo
