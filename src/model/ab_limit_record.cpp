#include "model/ab_limit_record.h"

namespace tulvo {

template <typename Byte>
bool BasicAbLimitRecord<Byte>::LimitOn() const {
    return this->GetBits(kFlags.offset, kLimitOff) == 0;
}

template <typename Byte>
bool BasicAbLimitRecord<Byte>::LimitIn() const {
    return this->GetBits(kFlags.offset, kLimitIn) != 0;
}

template <typename Byte>
bool BasicAbLimitRecord<Byte>::LimitOut() const {
    return this->GetBits(kFlags.offset, kLimitOut) != 0;
}

template <typename Byte>
std::uint32_t BasicAbLimitRecord<Byte>::LimitSeconds() const {
    return ReadU32le(this->ro(), kLimitSeconds.offset);
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitOn(bool on) requires MutableByte<Byte> {
    this->SetBits(kFlags.offset, kLimitOff, on ? 0 : 1);
    this->Seal();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitIn(bool on) requires MutableByte<Byte> {
    this->SetBits(kFlags.offset, kLimitIn, on ? 1 : 0);
    this->Seal();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitOut(bool on) requires MutableByte<Byte> {
    this->SetBits(kFlags.offset, kLimitOut, on ? 1 : 0);
    this->Seal();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitSeconds(std::uint32_t seconds) requires MutableByte<Byte> {
    WriteU32le(this->rw(), kLimitSeconds.offset, seconds);
    this->Seal();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::Reset() requires MutableByte<Byte> {
    WriteU8(this->rw(), kFlags.offset, kLimitOff);
    WriteU32le(this->rw(), kLimitSeconds.offset, 0);
    this->Seal();
}

template class BasicAbLimitRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template bool BasicAbLimitRecord<const std::uint8_t>::LimitOn() const;
template bool BasicAbLimitRecord<const std::uint8_t>::LimitIn() const;
template bool BasicAbLimitRecord<const std::uint8_t>::LimitOut() const;
template std::uint32_t BasicAbLimitRecord<const std::uint8_t>::LimitSeconds() const;

}  // namespace tulvo
