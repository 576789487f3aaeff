#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 161-byte alarm system record (SettingAlarm). Channels are numbered 1
// to 4; the arrays have room for 8, entries 5 to 8 are carried unchanged.
// Some stores recompute the checksum at once, the others leave it stale;
// each declaration says which.
template <typename Byte>
class BasicAlarmSettingRecord : public RecordView<Byte, 161> {
    using Base = RecordView<Byte, 161>;

  public:
    static constexpr Field kEM{0, 1};
    static constexpr Field kActive{1, 1};
    static constexpr Field kKeyMode{2, 1};
    static constexpr Field kMM{3, 4};
    static constexpr Field kKeyTime{7, 8};       // byte per channel 1..8
    static constexpr Field kOutMask{15, 8};      // byte per channel 1..8
    static constexpr Field kInTimeout{23, 16};   // u16 per channel 1..8
    static constexpr Field kInDebounce{39, 16};  // u16 per channel 1..8
    static constexpr Field kSetTimeout{55, 8};   // byte per channel 1..8
    static constexpr Field kPasswords{63, 72};   // nine slots of 8 bytes
    static constexpr Field kAbName{135, 20};     // i16 per position 1..10
    static constexpr Field kPutSMS{155, 2};
    static constexpr Field kCall{157, 2};
    static constexpr Field kFLAG{159, 1};
    static constexpr std::size_t kPasswordSlotWidth = 8;
    static constexpr std::size_t kPasswordChars = 7;
    static constexpr int kChannels = 4;
    static constexpr int kPasswordSlots = 5;  // slots with operations: 0..4
    static constexpr int kNotified = 10;

    using Base::Base;

    std::uint8_t EM() const;
    std::uint8_t Active() const;
    std::uint8_t KeyMode() const;
    std::uint32_t MM() const;
    std::uint8_t FLAG() const;
    // Per channel 1..4; another channel reads as 0.
    std::uint8_t KeyTime(int channel) const;
    std::uint8_t OutMask(int channel) const;
    std::uint16_t InTimeout(int channel) const;
    std::uint16_t InDebounce(int channel) const;
    std::uint8_t SetTimeout(int channel) const;
    // Slot 0 the common password, 1..4 the channels'; another slot reads "".
    std::string Password(int slot) const;
    // Position 1..10: subscriber number - 1, or -1; another position reads 0.
    std::int16_t AbName(int position) const;
    std::uint16_t PutSMS() const;
    std::uint16_t Call() const;

    // One bit per channel 1..4; another channel reads as false.
    bool ChannelOn(int channel) const;      // EM
    bool ChannelActive(int channel) const;  // Active
    bool ButtonMode(int channel) const;     // KeyMode
    // MM: the alarm trips when the input closes (InMode set) or opens.
    bool InMode(int channel) const;
    // MM: the channel works as an output (ModeSwitch set) or as an input.
    bool ModeSwitch(int channel) const;
    // MM: the output follows the inputs (OutMode set) or is switched by hand.
    bool OutMode(int channel) const;
    // OutMask: input 1..4 drives the channel's output.
    bool DrivenBy(int channel, int input) const;
    // PutSMS and Call: notified subscriber 1..10 gets an SMS, is called;
    // another position reads as false.
    bool SmsTo(int position) const;
    bool CallTo(int position) const;

    // Recompute the checksum.
    void SetEM(std::uint8_t value) requires MutableByte<Byte>;
    void SetMM(std::uint32_t value) requires MutableByte<Byte>;
    void SetFLAG(std::uint8_t value) requires MutableByte<Byte>;
    void SetInTimeout(int channel, std::uint16_t seconds) requires MutableByte<Byte>;
    // The first 7 characters, zero-padded, the slot's byte 7 := 0.
    void SetPassword(int slot, std::string_view text) requires MutableByte<Byte>;
    void SetAbName(int position, std::int16_t subscriber) requires MutableByte<Byte>;

    // One bit each; a channel or position out of range is ignored. The bits
    // of EM and MM recompute the checksum, the others leave it stale, as the
    // whole byte or word they belong to does.
    void SetChannelOn(int channel, bool on) requires MutableByte<Byte>;
    void SetInMode(int channel, bool closing) requires MutableByte<Byte>;
    void SetModeSwitch(int channel, bool output) requires MutableByte<Byte>;
    void SetOutMode(int channel, bool fromInputs) requires MutableByte<Byte>;
    void SetChannelActive(int channel, bool on) requires MutableByte<Byte>;
    void SetButtonMode(int channel, bool on) requires MutableByte<Byte>;
    void SetDrivenBy(int channel, int input, bool on) requires MutableByte<Byte>;
    void SetSmsTo(int position, bool on) requires MutableByte<Byte>;
    void SetCallTo(int position, bool on) requires MutableByte<Byte>;

    // Leave the checksum stale.
    void SetActive(std::uint8_t value) requires MutableByte<Byte>;  // low 4 bits
    void SetKeyMode(std::uint8_t value) requires MutableByte<Byte>;
    void SetKeyTime(int channel, std::uint8_t seconds) requires MutableByte<Byte>;
    void SetOutMask(int channel, std::uint8_t inputs)  // low 4 bits
        requires MutableByte<Byte>;
    void SetInDebounce(int channel, std::uint16_t tenths) requires MutableByte<Byte>;
    void SetSetTimeout(int channel, std::uint8_t seconds) requires MutableByte<Byte>;
    void SetPutSMS(std::uint16_t value) requires MutableByte<Byte>;
    void SetCall(std::uint16_t value) requires MutableByte<Byte>;

    // The default record, checksum recomputed.
    void Reset() requires MutableByte<Byte>;
};

using AlarmSettingRecord = BasicAlarmSettingRecord<std::uint8_t>;
using ConstAlarmSettingRecord = BasicAlarmSettingRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadSettingAlarm, command::WriteSettingAlarm,
                            AlarmSettingRecord::kSize));

extern template class BasicAlarmSettingRecord<std::uint8_t>;

}  // namespace tulvo
