#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 52-byte GSM side settings record (SettingMOB). Stores leave the
// checksum stale.
template <typename Byte>
class BasicMobSettingRecord : public RecordView<Byte, 52> {
    using Base = RecordView<Byte, 52>;

  public:
    static constexpr Field kFLAG{0, 1};
    static constexpr Field kModes{1, 1};
    static constexpr Field kRP{2, 49};
    static constexpr std::size_t kRPChars = 48;

    // Byte 0.
    static constexpr std::uint8_t kAutoHangupMask = 0x01;
    static constexpr std::uint8_t kUnidentifiedCallBackMask = 0x02;
    static constexpr std::uint8_t kNumberSuppressionMask = 0x0C;
    static constexpr std::uint8_t kUnidentifiedNoAnswerMask = 0x10;
    static constexpr std::uint8_t kDtmfTimeMask = 0xE0;
    // Byte 1.
    static constexpr std::uint8_t kRMMask = 0x1F;
    static constexpr std::uint8_t kNoPlusReplaceMask = 0x40;

    using Base::Base;

    std::uint8_t FLAG() const;
    bool AutoHangup() const;
    bool UnidentifiedCallBack() const;
    std::uint8_t NumberSuppression() const;
    bool UnidentifiedNoAnswer() const;
    std::uint8_t DtmfTime() const;
    std::uint8_t Modes() const;  // byte 1 whole
    std::uint8_t RM() const;     // bits 0-4
    bool NoPlusReplace() const;
    std::string RP() const;

    void SetFLAG(std::uint8_t value) requires MutableByte<Byte>;
    void SetAutoHangup(bool on) requires MutableByte<Byte>;
    void SetUnidentifiedCallBack(bool on) requires MutableByte<Byte>;
    void SetNumberSuppression(unsigned value) requires MutableByte<Byte>;
    void SetUnidentifiedNoAnswer(bool on) requires MutableByte<Byte>;
    void SetDtmfTime(unsigned value) requires MutableByte<Byte>;
    // Checked: 0..4 into bits 0-4, bits 5-7 kept; else
    // "Недопустимое значение ReciveMode!".
    void SetRM(int value) requires MutableByte<Byte>;
    void SetNoPlusReplace(bool on) requires MutableByte<Byte>;
    // Stored only when at most 48 characters; a longer text is ignored.
    void SetRP(std::string_view text) requires MutableByte<Byte>;

    // Auto hang-up, reception with password, all else 0; the checksum byte
    // is left 0.
    void Reset() requires MutableByte<Byte>;
};

using MobSettingRecord = BasicMobSettingRecord<std::uint8_t>;
using ConstMobSettingRecord = BasicMobSettingRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadSettingMOB, command::WriteSettingMOB,
                            MobSettingRecord::kSize));

extern template class BasicMobSettingRecord<std::uint8_t>;

}  // namespace tulvo
