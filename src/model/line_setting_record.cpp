#include "model/line_setting_record.h"

#include <algorithm>

#include "model/record_error.h"

namespace tulvo {

namespace {
// Checks a mode value before it is stored.
void Require(int value, int max, const char* message) {
    if (value < 0 || value > max) {
        throw RecordError(message);
    }
}
}  // namespace

template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::OCM() const {
    return ReadU8(this->ro(), kOCM.offset);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::PM() const {
    return ReadU8(this->ro(), kPM.offset);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::MLDM() const {
    return ReadU8(this->ro(), kMLDM.offset);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::EchoDepth() const {
    return this->GetBits(kEcho.offset, kEchoDepthMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::EchoLength() const {
    return this->GetBits(kEcho.offset, kEchoLengthMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::HLP() const {
    return this->GetBits(kModes.offset, kHLPMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::FlashTime() const {
    return this->GetBits(kModes.offset, kFlashTimeMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::EndSignal() const {
    return this->GetBits(kModes.offset, kEndSignalMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::EndSignalTime() const {
    return this->GetBits(kModes.offset, kEndSignalTimeMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::LMDM() const {
    return ReadU8(this->ro(), kLMDM.offset);
}
template <typename Byte>
std::uint16_t BasicLineSettingRecord<Byte>::LMFT() const {
    return ReadU16le(this->ro(), kLMFT.offset);
}
template <typename Byte>
std::uint16_t BasicLineSettingRecord<Byte>::LMNT() const {
    return ReadU16le(this->ro(), kLMNT.offset);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::FLAG() const {
    return ReadU8(this->ro(), kFLAG.offset);
}
template <typename Byte>
bool BasicLineSettingRecord<Byte>::ForwardToMain() const {
    return this->GetBits(kFLAG.offset, kForwardToMainMask) != 0;
}
template <typename Byte>
bool BasicLineSettingRecord<Byte>::PreDialing() const {
    return this->GetBits(kFLAG.offset, kPreDialingMask) != 0;
}
template <typename Byte>
bool BasicLineSettingRecord<Byte>::BusyControl() const {
    return this->GetBits(kFLAG.offset, kBusyControlMask) != 0;
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::CallerID() const {
    return this->GetBits(kFLAG.offset, kCallerIDMask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::VL() const {
    return this->GetBits(kVL.offset, 0x0F);
}
template <typename Byte>
std::uint16_t BasicLineSettingRecord<Byte>::MAB() const {
    return ReadU16le(this->ro(), kMAB.offset);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::PR() const {
    return ReadU8(this->ro(), kPR.offset);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::RingTime1() const {
    return this->GetBits(kPR.offset, kRingTime1Mask);
}
template <typename Byte>
std::uint8_t BasicLineSettingRecord<Byte>::RingTime2() const {
    return this->GetBits(kPR.offset, kRingTime2Mask);
}
template <typename Byte>
std::uint16_t BasicLineSettingRecord<Byte>::OUTLIM() const {
    return ReadU16le(this->ro(), kOUTLIM.offset);
}
template <typename Byte>
std::uint16_t BasicLineSettingRecord<Byte>::INLIM() const {
    return ReadU16le(this->ro(), kINLIM.offset);
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::SetOCM(int value) requires MutableByte<Byte> {
    Require(value, 4, "Недопустимое значение OutCallMode!");
    WriteU8(this->rw(), kOCM.offset, static_cast<std::uint8_t>(value));
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::SetPM(int value) requires MutableByte<Byte> {
    Require(value, 2, "Недопустимое значение PasswordMode!");
    WriteU8(this->rw(), kPM.offset, static_cast<std::uint8_t>(value));
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::SetMLDM(int value) requires MutableByte<Byte> {
    Require(value, 1, "Недопустимое значение M_LDialMode!");
    WriteU8(this->rw(), kMLDM.offset, static_cast<std::uint8_t>(value));
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::SetLMDM(int value) requires MutableByte<Byte> {
    Require(value, 1, "Недопустимое значение L_MDialMode!");
    WriteU8(this->rw(), kLMDM.offset, static_cast<std::uint8_t>(value));
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::SetVL(int value) requires MutableByte<Byte> {
    const int volume = value & 0x0F;
    Require(volume, 5, "Недопустимое значение Volume!");
    WriteU8(this->rw(), kVL.offset, static_cast<std::uint8_t>(volume));
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::SetEchoDepth(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kEcho.offset, kEchoDepthMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetEchoLength(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kEcho.offset, kEchoLengthMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetHLP(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kModes.offset, kHLPMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetFlashTime(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kModes.offset, kFlashTimeMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetEndSignal(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kModes.offset, kEndSignalMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetEndSignalTime(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kModes.offset, kEndSignalTimeMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetLMFT(unsigned value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kLMFT.offset, static_cast<std::uint16_t>(value & 0xFF));
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetLMNT(unsigned value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kLMNT.offset, static_cast<std::uint16_t>(value & 0xFF));
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetFLAG(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kFLAG.offset, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetForwardToMain(bool on) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kForwardToMainMask, on ? 1 : 0);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetPreDialing(bool on) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kPreDialingMask, on ? 1 : 0);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetBusyControl(bool on) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kBusyControlMask, on ? 1 : 0);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetCallerID(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kFLAG.offset, kCallerIDMask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetMAB(std::uint16_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kMAB.offset, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetPR(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kPR.offset, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetRingTime1(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kPR.offset, kRingTime1Mask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetRingTime2(unsigned value) requires MutableByte<Byte> {
    this->SetBits(kPR.offset, kRingTime2Mask, value);
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetOUTLIM(std::uint32_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kOUTLIM.offset, static_cast<std::uint16_t>(std::min(value, 0xFFFFu)));
}
template <typename Byte>
void BasicLineSettingRecord<Byte>::SetINLIM(std::uint32_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kINLIM.offset, static_cast<std::uint16_t>(std::min(value, 0xFFFFu)));
}

template <typename Byte>
void BasicLineSettingRecord<Byte>::Reset() requires MutableByte<Byte> {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
}

template class BasicLineSettingRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::OCM() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::PM() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::MLDM() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::EchoDepth() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::EchoLength() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::HLP() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::FlashTime() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::EndSignal() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::EndSignalTime() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::LMDM() const;
template std::uint16_t BasicLineSettingRecord<const std::uint8_t>::LMFT() const;
template std::uint16_t BasicLineSettingRecord<const std::uint8_t>::LMNT() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::FLAG() const;
template bool BasicLineSettingRecord<const std::uint8_t>::ForwardToMain() const;
template bool BasicLineSettingRecord<const std::uint8_t>::PreDialing() const;
template bool BasicLineSettingRecord<const std::uint8_t>::BusyControl() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::CallerID() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::VL() const;
template std::uint16_t BasicLineSettingRecord<const std::uint8_t>::MAB() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::PR() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::RingTime1() const;
template std::uint8_t BasicLineSettingRecord<const std::uint8_t>::RingTime2() const;
template std::uint16_t BasicLineSettingRecord<const std::uint8_t>::OUTLIM() const;
template std::uint16_t BasicLineSettingRecord<const std::uint8_t>::INLIM() const;

}  // namespace tulvo
