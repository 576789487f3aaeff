#include "model/alarm_setting_record.h"

#include <algorithm>

namespace tulvo {

namespace {
constexpr std::uint16_t kDefaultInTimeout = 120;
constexpr std::uint16_t kDefaultInDebounce = 10;
constexpr std::uint8_t kDefaultSetTimeout = 5;
constexpr std::size_t kArrayEntries = 8;
constexpr int kAllPasswordSlots = 9;

// The first bit of each group of MM: one bit per channel 1..4.
constexpr int kInModeBit = 0;
constexpr int kModeSwitchBit = 8;
constexpr int kOutModeBit = 16;

bool ValidChannel(int channel) {
    return channel >= 1 && channel <= 4;
}

bool ValidPosition(int position) {
    return position >= 1 && position <= 10;
}

// Offset of a channel's entry in a per-channel array of width-byte entries.
std::size_t ChannelAt(Field array, int channel, std::size_t width) {
    return array.offset + width * static_cast<std::size_t>(channel - 1);
}
}  // namespace

template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::EM() const {
    return ReadU8(this->ro(), kEM.offset);
}
template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::Active() const {
    return ReadU8(this->ro(), kActive.offset);
}
template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::KeyMode() const {
    return ReadU8(this->ro(), kKeyMode.offset);
}
template <typename Byte>
std::uint32_t BasicAlarmSettingRecord<Byte>::MM() const {
    return ReadU32le(this->ro(), kMM.offset);
}
template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::FLAG() const {
    return ReadU8(this->ro(), kFLAG.offset);
}
template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::KeyTime(int channel) const {
    return ValidChannel(channel) ? ReadU8(this->ro(), ChannelAt(kKeyTime, channel, 1)) : 0;
}
template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::OutMask(int channel) const {
    return ValidChannel(channel) ? ReadU8(this->ro(), ChannelAt(kOutMask, channel, 1)) : 0;
}
template <typename Byte>
std::uint16_t BasicAlarmSettingRecord<Byte>::InTimeout(int channel) const {
    return ValidChannel(channel) ? ReadU16le(this->ro(), ChannelAt(kInTimeout, channel, 2)) : 0;
}
template <typename Byte>
std::uint16_t BasicAlarmSettingRecord<Byte>::InDebounce(int channel) const {
    return ValidChannel(channel) ? ReadU16le(this->ro(), ChannelAt(kInDebounce, channel, 2)) : 0;
}
template <typename Byte>
std::uint8_t BasicAlarmSettingRecord<Byte>::SetTimeout(int channel) const {
    return ValidChannel(channel) ? ReadU8(this->ro(), ChannelAt(kSetTimeout, channel, 1)) : 0;
}
template <typename Byte>
std::string BasicAlarmSettingRecord<Byte>::Password(int slot) const {
    if (slot < 0 || slot >= kPasswordSlots) {
        return {};
    }
    const Field field{kPasswords.offset + kPasswordSlotWidth * static_cast<std::size_t>(slot),
                      kPasswordSlotWidth};
    return this->ReadText(field, kPasswordChars);
}
template <typename Byte>
std::int16_t BasicAlarmSettingRecord<Byte>::AbName(int position) const {
    if (position < 1 || position > kNotified) {
        return 0;
    }
    return ReadI16le(this->ro(), ChannelAt(kAbName, position, 2));
}
template <typename Byte>
std::uint16_t BasicAlarmSettingRecord<Byte>::PutSMS() const {
    return ReadU16le(this->ro(), kPutSMS.offset);
}
template <typename Byte>
std::uint16_t BasicAlarmSettingRecord<Byte>::Call() const {
    return ReadU16le(this->ro(), kCall.offset);
}

template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::ChannelOn(int channel) const {
    return ValidChannel(channel) && this->Bit(kEM.offset, channel - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::ChannelActive(int channel) const {
    return ValidChannel(channel) && this->Bit(kActive.offset, channel - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::ButtonMode(int channel) const {
    return ValidChannel(channel) && this->Bit(kKeyMode.offset, channel - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::InMode(int channel) const {
    return ValidChannel(channel) && this->Bit(kMM.offset, kInModeBit + channel - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::ModeSwitch(int channel) const {
    return ValidChannel(channel) && this->Bit(kMM.offset, kModeSwitchBit + channel - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::OutMode(int channel) const {
    return ValidChannel(channel) && this->Bit(kMM.offset, kOutModeBit + channel - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::DrivenBy(int channel, int input) const {
    return ValidChannel(channel) && ValidChannel(input) &&
           this->Bit(ChannelAt(kOutMask, channel, 1), input - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::SmsTo(int position) const {
    return ValidPosition(position) && this->Bit(kPutSMS.offset, position - 1);
}
template <typename Byte>
bool BasicAlarmSettingRecord<Byte>::CallTo(int position) const {
    return ValidPosition(position) && this->Bit(kCall.offset, position - 1);
}

template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetChannelOn(int channel, bool on) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    this->SetBit(kEM.offset, channel - 1, on);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetInMode(int channel,
                                              bool closing) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    this->SetBit(kMM.offset, kInModeBit + channel - 1, closing);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetModeSwitch(int channel,
                                                  bool output) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    this->SetBit(kMM.offset, kModeSwitchBit + channel - 1, output);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetOutMode(int channel,
                                               bool fromInputs) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    this->SetBit(kMM.offset, kOutModeBit + channel - 1, fromInputs);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetChannelActive(int channel,
                                                     bool on) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    this->SetBit(kActive.offset, channel - 1, on);
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetButtonMode(int channel, bool on) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    this->SetBit(kKeyMode.offset, channel - 1, on);
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetDrivenBy(int channel, int input,
                                                bool on) requires MutableByte<Byte> {
    if (!(ValidChannel(channel) && ValidChannel(input))) {
        return;
    }
    this->SetBit(ChannelAt(kOutMask, channel, 1), input - 1, on);
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetSmsTo(int position, bool on) requires MutableByte<Byte> {
    if (!ValidPosition(position)) {
        return;
    }
    this->SetBit(kPutSMS.offset, position - 1, on);
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetCallTo(int position, bool on) requires MutableByte<Byte> {
    if (!ValidPosition(position)) {
        return;
    }
    this->SetBit(kCall.offset, position - 1, on);
}

template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetEM(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kEM.offset, value);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetMM(std::uint32_t value) requires MutableByte<Byte> {
    WriteU32le(this->rw(), kMM.offset, value);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetFLAG(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kFLAG.offset, value);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetInTimeout(int channel,
                                                 std::uint16_t seconds) requires MutableByte<Byte> {
    if (!ValidChannel(channel)) {
        return;
    }
    WriteU16le(this->rw(), ChannelAt(kInTimeout, channel, 2), seconds);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetPassword(int slot,
                                                std::string_view text) requires MutableByte<Byte> {
    if (slot < 0 || slot >= kPasswordSlots) {
        return;
    }
    const Field field{kPasswords.offset + kPasswordSlotWidth * static_cast<std::size_t>(slot),
                      kPasswordSlotWidth};
    this->StoreText(field, text, kPasswordChars);
    this->Seal();
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetAbName(int position,
                                              std::int16_t subscriber) requires MutableByte<Byte> {
    if (position < 1 || position > kNotified) {
        return;
    }
    WriteI16le(this->rw(), ChannelAt(kAbName, position, 2), subscriber);
    this->Seal();
}

template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetActive(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kActive.offset, static_cast<std::uint8_t>(value & 0x0F));
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetKeyMode(std::uint8_t value) requires MutableByte<Byte> {
    WriteU8(this->rw(), kKeyMode.offset, value);
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetKeyTime(int channel,
                                               std::uint8_t seconds) requires MutableByte<Byte> {
    if (ValidChannel(channel)) {
        WriteU8(this->rw(), ChannelAt(kKeyTime, channel, 1), seconds);
    }
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetOutMask(int channel,
                                               std::uint8_t inputs) requires MutableByte<Byte> {
    if (ValidChannel(channel)) {
        WriteU8(this->rw(), ChannelAt(kOutMask, channel, 1),
                static_cast<std::uint8_t>(inputs & 0x0F));
    }
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetInDebounce(int channel,
                                                  std::uint16_t tenths) requires MutableByte<Byte> {
    if (ValidChannel(channel)) {
        WriteU16le(this->rw(), ChannelAt(kInDebounce, channel, 2), tenths);
    }
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetSetTimeout(int channel,
                                                  std::uint8_t seconds) requires MutableByte<Byte> {
    if (ValidChannel(channel)) {
        WriteU8(this->rw(), ChannelAt(kSetTimeout, channel, 1), seconds);
    }
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetPutSMS(std::uint16_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kPutSMS.offset, value);
}
template <typename Byte>
void BasicAlarmSettingRecord<Byte>::SetCall(std::uint16_t value) requires MutableByte<Byte> {
    WriteU16le(this->rw(), kCall.offset, value);
}

template <typename Byte>
void BasicAlarmSettingRecord<Byte>::Reset() requires MutableByte<Byte> {
    const auto bytes = this->rw();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    for (std::size_t i = 0; i < kArrayEntries; ++i) {
        WriteU16le(bytes, kInTimeout.offset + 2 * i, kDefaultInTimeout);
        WriteU16le(bytes, kInDebounce.offset + 2 * i, kDefaultInDebounce);
        WriteU8(bytes, kSetTimeout.offset + i, kDefaultSetTimeout);
    }
    for (int slot = 0; slot < kAllPasswordSlots; ++slot) {
        const Field field{kPasswords.offset + kPasswordSlotWidth * static_cast<std::size_t>(slot),
                          kPasswordSlotWidth};
        this->StoreText(field, "9387", kPasswordChars);
    }
    for (int position = 1; position <= kNotified; ++position) {
        WriteI16le(bytes, ChannelAt(kAbName, position, 2), -1);
    }
    WriteU16le(bytes, kCall.offset, 0xFFFF);
    this->Seal();
}

template class BasicAlarmSettingRecord<std::uint8_t>;
// The read-only view gets its reading members only: some compilers (clang 14)
// would otherwise instantiate the storing members for it as well.
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::EM() const;
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::Active() const;
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::KeyMode() const;
template std::uint32_t BasicAlarmSettingRecord<const std::uint8_t>::MM() const;
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::FLAG() const;
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::KeyTime(int channel) const;
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::OutMask(int channel) const;
template std::uint16_t BasicAlarmSettingRecord<const std::uint8_t>::InTimeout(int channel) const;
template std::uint16_t BasicAlarmSettingRecord<const std::uint8_t>::InDebounce(int channel) const;
template std::uint8_t BasicAlarmSettingRecord<const std::uint8_t>::SetTimeout(int channel) const;
template std::string BasicAlarmSettingRecord<const std::uint8_t>::Password(int slot) const;
template std::int16_t BasicAlarmSettingRecord<const std::uint8_t>::AbName(int position) const;
template std::uint16_t BasicAlarmSettingRecord<const std::uint8_t>::PutSMS() const;
template std::uint16_t BasicAlarmSettingRecord<const std::uint8_t>::Call() const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::ChannelOn(int channel) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::ChannelActive(int channel) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::ButtonMode(int channel) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::InMode(int channel) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::ModeSwitch(int channel) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::OutMode(int channel) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::DrivenBy(int channel, int input) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::SmsTo(int position) const;
template bool BasicAlarmSettingRecord<const std::uint8_t>::CallTo(int position) const;

}  // namespace tulvo
