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
void BasicAbLimitRecord<Byte>::SetLimitOn(bool on) const requires Base::kMutable {
    this->SetBits(kFlags.offset, kLimitOff, on ? 0 : 1);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitIn(bool on) const requires Base::kMutable {
    this->SetBits(kFlags.offset, kLimitIn, on ? 1 : 0);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitOut(bool on) const requires Base::kMutable {
    this->SetBits(kFlags.offset, kLimitOut, on ? 1 : 0);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::SetLimitSeconds(
    std::uint32_t seconds) const requires Base::kMutable {
    WriteU32le(this->rw(), kLimitSeconds.offset, seconds);
    this->UpdateChecksum();
}

template <typename Byte>
void BasicAbLimitRecord<Byte>::Reset() const requires Base::kMutable {
    WriteU8(this->rw(), kFlags.offset, kLimitOff);
    WriteU32le(this->rw(), kLimitSeconds.offset, 0);
    this->UpdateChecksum();
}

template class BasicAbLimitRecord<std::uint8_t>;
template class BasicAbLimitRecord<const std::uint8_t>;

}  // namespace tulvo
