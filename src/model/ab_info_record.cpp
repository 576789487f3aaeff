#include "model/ab_info_record.h"

#include <bit>

namespace tulvo {

namespace {
constexpr std::array<std::uint8_t, 32> kBlank = {
    0x8E, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x3F, 0x00, 0xFF,
    0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
}  // namespace

template <typename Byte>
std::uint8_t BasicAbInfoRecord<Byte>::FLAG() const {
    return Empty() ? kEmpty : ReadU8(this->ro(), kFLAG.offset);
}

template <typename Byte>
bool BasicAbInfoRecord<Byte>::Empty() const {
    return (ReadU8(this->ro(), kFLAG.offset) & kEmpty) != 0;
}

template <typename Byte>
bool BasicAbInfoRecord<Byte>::Activation() const {
    return (FLAG() & kActivation) != 0;
}

template <typename Byte>
std::uint32_t BasicAbInfoRecord<Byte>::ID() const {
    return ReadU32le(this->ro(), kID.offset);
}

template <typename Byte>
std::string BasicAbInfoRecord<Byte>::Password() const {
    return Empty() ? std::string() : this->ReadText(kPassword, kPasswordChars);
}

template <typename Byte>
std::uint8_t BasicAbInfoRecord<Byte>::LM() const {
    return Empty() ? 0 : ReadU8(this->ro(), kLM.offset);
}

template <typename Byte>
std::uint8_t BasicAbInfoRecord<Byte>::DL() const {
    return Empty() ? 0 : ReadU8(this->ro(), kDL.offset);
}

template <typename Byte>
std::uint8_t BasicAbInfoRecord<Byte>::Gr() const {
    return Empty() ? 0 : ReadU8(this->ro(), kGr.offset);
}

template <typename Byte>
std::uint16_t BasicAbInfoRecord<Byte>::LimIn() const {
    return Empty() ? 0 : ReadU16le(this->ro(), kLimIn.offset);
}

template <typename Byte>
std::uint16_t BasicAbInfoRecord<Byte>::LimOut() const {
    return Empty() ? 0 : ReadU16le(this->ro(), kLimOut.offset);
}

template <typename Byte>
int BasicAbInfoRecord<Byte>::GroupNumber() const {
    return GroupNumberOf(Gr());
}

template <typename Byte>
int BasicAbInfoRecord<Byte>::GroupNumberOf(std::uint8_t gr) {
    return std::popcount(gr) == 1 ? std::countr_zero(gr) + 1 : 0;
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetFLAG(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kFLAG.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetID(std::uint32_t value) requires MutableByte<Byte> {
    WriteU32le(this->rw(), kID.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetPassword(std::string_view text) requires MutableByte<Byte> {
    this->StoreText(kPassword, text, kPasswordChars);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetLM(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kLM.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetDL(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kDL.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetGr(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kGr.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetReserved1(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kReserved1.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetReserved2(std::uint32_t value) requires MutableByte<Byte> {
    WriteU32le(this->rw(), kReserved2.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetReserved3(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kReserved3.offset, value);
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetDateStamp(int day, int month,
                                           int year) requires MutableByte<Byte> {
    const auto bytes = this->rw();
    const std::size_t at = kDateStamp.offset;
    WriteU8(bytes, at, 0);
    WriteU8(bytes, at + 1, 0);
    WriteU8(bytes, at + 2, 0);
    WriteU8(bytes, at + 3, static_cast<std::uint8_t>(day));
    WriteU8(bytes, at + 4, static_cast<std::uint8_t>(month));
    WriteU8(bytes, at + 5, static_cast<std::uint8_t>(year & 0xFF));
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetLimIn(std::uint32_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kLimIn.offset, static_cast<std::uint16_t>(value & 0xFFFF));
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::SetLimOut(std::uint32_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kLimOut.offset, static_cast<std::uint16_t>(value & 0xFFFF));
    this->Seal();
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::StoreLineAccess(bool fxo, bool fxs,
                                              bool conference) requires MutableByte<Byte> {
    SetLM(kLineBase | (fxo ? kLineFxo : 0) | (fxs ? kLineFxs : 0) |
          (conference ? kLineConference : 0));
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::StoreRights(bool callBack, bool longDistance, bool activation,
                                          bool ussdAllowed) requires MutableByte<Byte> {
    SetFLAG((callBack ? kCallBack : 0) | (longDistance ? kLongDistance : 0) |
            (activation ? kActivation : 0) | (ussdAllowed ? 0 : kUssdBarred));
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::StoreGroup(int group) requires MutableByte<Byte> {
    SetGr(group >= 1 && group <= 8 ? static_cast<std::uint8_t>(1u << (group - 1)) : 0);
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::StampEditorStore() requires MutableByte<Byte> {
    SetDateStamp(kStampDay, kStampMonth, kStampYear);
    SetReserved1(0);
    SetReserved2(0);
    SetReserved3(0xFF);
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::StoreDeleted() requires MutableByte<Byte> {
    SetLM(0);
    SetID(0xFFFFFFFFu);
    SetLimIn(0);
    SetLimOut(0);
    SetDL(0);
    SetGr(1);
    SetDateStamp(kStampDay, kStampMonth, kStampYear);
    SetReserved1(0);
    SetReserved2(0);
    SetReserved3(0);
    SetFLAG(kEmpty);
}

template <typename Byte>
void BasicAbInfoRecord<Byte>::Reset() requires MutableByte<Byte> {
    std::copy(kBlank.begin(), kBlank.end(), this->bytes().begin());
    this->Seal();
}

template <typename Byte>
typename BasicAbInfoRecord<Byte>::Base::Array BasicAbInfoRecord<Byte>::CopyOut() requires
    MutableByte<Byte> {
    this->Seal();
    return this->SealedCopy();
}

template class BasicAbInfoRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicAbInfoRecord<const std::uint8_t>::FLAG() const;
template bool BasicAbInfoRecord<const std::uint8_t>::Empty() const;
template bool BasicAbInfoRecord<const std::uint8_t>::Activation() const;
template std::uint32_t BasicAbInfoRecord<const std::uint8_t>::ID() const;
template std::string BasicAbInfoRecord<const std::uint8_t>::Password() const;
template std::uint8_t BasicAbInfoRecord<const std::uint8_t>::LM() const;
template std::uint8_t BasicAbInfoRecord<const std::uint8_t>::DL() const;
template std::uint8_t BasicAbInfoRecord<const std::uint8_t>::Gr() const;
template std::uint16_t BasicAbInfoRecord<const std::uint8_t>::LimIn() const;
template std::uint16_t BasicAbInfoRecord<const std::uint8_t>::LimOut() const;
template int BasicAbInfoRecord<const std::uint8_t>::GroupNumber() const;
template int BasicAbInfoRecord<const std::uint8_t>::GroupNumberOf(std::uint8_t gr);

}  // namespace tulvo
