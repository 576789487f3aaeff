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
void BasicMobSettingRecord<Byte>::SetFLAG(std::uint8_t value) const requires Base::kMutable {
    WriteU8(this->rw(), kFLAG.offset, value);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetAutoHangup(bool on) const requires Base::kMutable {
    this->SetBits(kFLAG.offset, kAutoHangupMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetUnidentifiedCallBack(bool on) const requires Base::kMutable {
    this->SetBits(kFLAG.offset, kUnidentifiedCallBackMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetNumberSuppression(
    unsigned value) const requires Base::kMutable {
    this->SetBits(kFLAG.offset, kNumberSuppressionMask, value);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetUnidentifiedNoAnswer(bool on) const requires Base::kMutable {
    this->SetBits(kFLAG.offset, kUnidentifiedNoAnswerMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetDtmfTime(unsigned value) const requires Base::kMutable {
    this->SetBits(kFLAG.offset, kDtmfTimeMask, value);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetRM(int value) const requires Base::kMutable {
    if (value < 0 || value > 4) {
        throw RecordError("Недопустимое значение ReciveMode!");
    }
    this->SetBits(kModes.offset, kRMMask, static_cast<unsigned>(value));
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetNoPlusReplace(bool on) const requires Base::kMutable {
    this->SetBits(kModes.offset, kNoPlusReplaceMask, on ? 1 : 0);
}
template <typename Byte>
void BasicMobSettingRecord<Byte>::SetRP(std::string_view text) const requires Base::kMutable {
    if (text.size() <= kRPChars) {
        this->StoreText(kRP, text, kRPChars);
    }
}

template <typename Byte>
void BasicMobSettingRecord<Byte>::Reset() const requires Base::kMutable {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    SetAutoHangup(true);
    SetRM(1);
}

template class BasicMobSettingRecord<std::uint8_t>;
template class BasicMobSettingRecord<const std::uint8_t>;

}  // namespace tulvo
