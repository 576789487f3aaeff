#include "model/mob_setting_record.h"

#include <algorithm>

#include "model/record_error.h"

namespace tulvo {

template <typename Byte>
std::uint8_t BasicMobSettingRecord<Byte>::FLAG() const {
    return ReadU8(this->ro(), kFLAG.offset);
}
template <typename Byte>
bool BasicMobSettingRecord<Byte>::AutoHangup() const {
    return this->GetBits(kFLAG.offset, kAutoHangupMask) != 0;
}
template <typename Byte>
bool BasicMobSettingRecord<Byte>::UnidentifiedCallBack() const {
    return this->GetBits(kFLAG.offset, kUnidentifiedCallBackMask) != 0;
}
template <typename Byte>
std::uint8_t BasicMobSettingRecord<Byte>::NumberSuppression() const {
    return this->GetBits(kFLAG.offset, kNumberSuppressionMask);
}
template <typename Byte>
bool BasicMobSettingRecord<Byte>::UnidentifiedNoAnswer() const {
    return this->GetBits(kFLAG.offset, kUnidentifiedNoAnswerMask) != 0;
}
template <typename Byte>
std::uint8_t BasicMobSettingRecord<Byte>::DtmfTime() const {
    return this->GetBits(kFLAG.offset, kDtmfTimeMask);
}
template <typename Byte>
std::uint8_t BasicMobSettingRecord<Byte>::Modes() const {
    return ReadU8(this->ro(), kModes.offset);
}
template <typename Byte>
std::uint8_t BasicMobSettingRecord<Byte>::RM() const {
    return this->GetBits(kModes.offset, kRMMask);
}
template <typename Byte>
bool BasicMobSettingRecord<Byte>::NoPlusReplace() const {
    return this->GetBits(kModes.offset, kNoPlusReplaceMask) != 0;
}
template <typename Byte>
std::string BasicMobSettingRecord<Byte>::RP() const {
    return this->ReadText(kRP, kRP.width);
}

template <typename Byte>
void BasicMobSettingRecord<Byte>::SetFLAG(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kFLAG.offset, value);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetAutoHangup(bool on) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kAutoHangupMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetUnidentifiedCallBack(bool on) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kUnidentifiedCallBackMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetNumberSuppression(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kNumberSuppressionMask, value);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetUnidentifiedNoAnswer(bool on) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kUnidentifiedNoAnswerMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetDtmfTime(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kDtmfTimeMask, value);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetRM(int value) requires MutableByte<Byte> {
    if (value < 0 || value > 4) {
        throw RecordError("Недопустимое значение ReciveMode!");
    }
    this->SetBits(kModes.offset, kRMMask, static_cast<unsigned>(value));
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetNoPlusReplace(bool on) requires MutableByte<Byte> {
    this->SetBits(kModes.offset, kNoPlusReplaceMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetRP(std::string_view text) requires MutableByte<Byte> {
    if (text.size() <= kRPChars) {
        this->StoreText(kRP, text, kRPChars);
    }
}

template <typename Byte>
void BasicMobSettingRecord<Byte>::Reset() requires MutableByte<Byte> {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    SetAutoHangup(true);
    SetRM(1);
}

template class BasicMobSettingRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicMobSettingRecord<const std::uint8_t>::FLAG() const;
template bool BasicMobSettingRecord<const std::uint8_t>::AutoHangup() const;
template bool BasicMobSettingRecord<const std::uint8_t>::UnidentifiedCallBack() const;
template std::uint8_t BasicMobSettingRecord<const std::uint8_t>::NumberSuppression() const;
template bool BasicMobSettingRecord<const std::uint8_t>::UnidentifiedNoAnswer() const;
template std::uint8_t BasicMobSettingRecord<const std::uint8_t>::DtmfTime() const;
template std::uint8_t BasicMobSettingRecord<const std::uint8_t>::Modes() const;
template std::uint8_t BasicMobSettingRecord<const std::uint8_t>::RM() const;
template bool BasicMobSettingRecord<const std::uint8_t>::NoPlusReplace() const;
template std::string BasicMobSettingRecord<const std::uint8_t>::RP() const;

}  // namespace tulvo
