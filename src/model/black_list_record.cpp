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
void BasicBlackListRecord<Byte>::SetFLAG(std::uint8_t value) const requires Base::kMutable {
    WriteU8(this->rw(), kFLAG.offset, value);
    this->UpdateChecksum();
}
template <typename Byte>
void BasicBlackListRecord<Byte>::SetGM(std::uint8_t value) const requires Base::kMutable {
    WriteU8(this->rw(), kGM.offset, value);
    this->UpdateChecksum();
}
template <typename Byte>
void BasicBlackListRecord<Byte>::SetNUM(std::string_view text) const requires Base::kMutable {
    this->StoreText(kNUM, text, kNUMChars);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicBlackListRecord<Byte>::Reset() const requires Base::kMutable {
    WriteU8(this->rw(), kFLAG.offset, kEmpty);
    WriteU8(this->rw(), kGM.offset, 0);
    SetNUM("");
}

template class BasicBlackListRecord<std::uint8_t>;
template class BasicBlackListRecord<const std::uint8_t>;

}  // namespace tulvo
