#include "model/control_account_record.h"

#include <cmath>

namespace tulvo {

namespace {
constexpr std::size_t kSubscriberWidth = 2;
}  // namespace

template <typename Byte>
std::uint8_t BasicControlAccountRecord<Byte>::Flags() const {
    return ReadU8(this->ro(), kFlags.offset);
}
template <typename Byte>
bool BasicControlAccountRecord<Byte>::AccountOn() const {
    return this->GetBits(kFlags.offset, kAccountOn) != 0;
}
template <typename Byte>
std::uint16_t BasicControlAccountRecord<Byte>::TO1() const {
    return ReadU16le(this->ro(), kTO1.offset);
}
template <typename Byte>
std::string BasicControlAccountRecord<Byte>::USSD() const {
    return this->ReadText(kUSSD, kUSSD.width);
}
template <typename Byte>
std::string BasicControlAccountRecord<Byte>::UNIT() const {
    return this->ReadText(kUNIT, kUNIT.width);
}
template <typename Byte>
std::uint16_t BasicControlAccountRecord<Byte>::AL() const {
    return ReadU16le(this->ro(), kAL.offset);
}
template <typename Byte>
std::int16_t BasicControlAccountRecord<Byte>::AB(int index) const {
    if (index < 0 || index >= kAccountSubscribers) {
        return -1;
    }
    return ReadI16le(this->ro(), kAB.offset + kSubscriberWidth * static_cast<std::size_t>(index));
}

template <typename Byte>
void BasicControlAccountRecord<Byte>::SetAccountOn(bool on) requires MutableByte<Byte> {
    this->SetBits(kFlags.offset, kAccountOn, on ? 1 : 0);
}
template <typename Byte>
void BasicControlAccountRecord<Byte>::SetTO1(std::uint16_t hours) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kTO1.offset, hours);
}
template <typename Byte>
void BasicControlAccountRecord<Byte>::SetUSSD(std::string_view text) requires MutableByte<Byte> {
    this->StoreText(kUSSD, text, kUSSD.width);
    WriteU8(this->rw(), kUSSDTerminator, 0);
}
template <typename Byte>
void BasicControlAccountRecord<Byte>::SetUNIT(std::string_view text) requires MutableByte<Byte> {
    // The field has no terminator of its own: the byte after it is the low
    // byte of AL, which is kept.
    this->StoreText(kUNIT, text, kUNIT.width);
}
template <typename Byte>
void BasicControlAccountRecord<Byte>::SetAL(double amount) requires MutableByte<Byte> {
    constexpr double kLimit = 9.0e15;
    const double whole =
        std::isfinite(amount) ? std::trunc(std::clamp(amount, -kLimit, kLimit)) : 0.0;
    const auto units = static_cast<std::int64_t>(whole);
    WriteU16le(this->rw(), kAL.offset, static_cast<std::uint16_t>(units & 0xFFFF));
}
template <typename Byte>
void BasicControlAccountRecord<Byte>::SetAB(int index,
                                            std::int16_t subscriber) requires MutableByte<Byte> {
    if (index < 0 || index >= kAccountSubscribers) {
        return;
    }
    WriteI16le(this->rw(), kAB.offset + kSubscriberWidth * static_cast<std::size_t>(index),
               subscriber);
}

template <typename Byte>
void BasicControlAccountRecord<Byte>::Reset() requires MutableByte<Byte> {
    const auto bytes = this->bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    SetTO1(1);
    SetUSSD("*101#");
    SetUNIT("UAH");
    WriteU16le(this->rw(), kAL.offset, 5);
    for (int i = 0; i < kAccountSubscribers; ++i) {
        SetAB(i, -1);
    }
}

template class BasicControlAccountRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicControlAccountRecord<const std::uint8_t>::Flags() const;
template bool BasicControlAccountRecord<const std::uint8_t>::AccountOn() const;
template std::uint16_t BasicControlAccountRecord<const std::uint8_t>::TO1() const;
template std::string BasicControlAccountRecord<const std::uint8_t>::USSD() const;
template std::string BasicControlAccountRecord<const std::uint8_t>::UNIT() const;
template std::uint16_t BasicControlAccountRecord<const std::uint8_t>::AL() const;
template std::int16_t BasicControlAccountRecord<const std::uint8_t>::AB(int index) const;

}  // namespace tulvo
