#pragma once

#include <cstdint>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 20-byte settings record of a line, one layout for SettingFXO and
// SettingFXS. Stores leave the checksum stale. The checked stores raise
// RecordError and keep the record unchanged.
template <typename Byte>
class BasicLineSettingRecord : public RecordView<Byte, 20> {
    using Base = RecordView<Byte, 20>;

  public:
    static constexpr Field kOCM{0, 1};
    static constexpr Field kPM{1, 1};
    static constexpr Field kMLDM{2, 1};
    static constexpr Field kEcho{3, 1};
    static constexpr Field kModes{4, 1};
    static constexpr Field kLMDM{5, 1};
    static constexpr Field kLMFT{6, 2};
    static constexpr Field kLMNT{8, 2};
    static constexpr Field kFLAG{10, 1};
    static constexpr Field kVL{11, 1};
    static constexpr Field kMAB{12, 2};
    static constexpr Field kPR{14, 1};
    static constexpr Field kOUTLIM{15, 2};
    static constexpr Field kINLIM{17, 2};

    // Sub-fields: masks inside their byte.
    static constexpr std::uint8_t kEchoDepthMask = 0x0F;      // byte 3
    static constexpr std::uint8_t kEchoLengthMask = 0xF0;     // byte 3
    static constexpr std::uint8_t kHLPMask = 0x03;            // byte 4
    static constexpr std::uint8_t kFlashTimeMask = 0x0C;      // byte 4, FXO
    static constexpr std::uint8_t kEndSignalMask = 0x30;      // byte 4, FXS
    static constexpr std::uint8_t kEndSignalTimeMask = 0xC0;  // byte 4, FXS
    static constexpr std::uint8_t kForwardToMainMask = 0x01;  // byte 10
    static constexpr std::uint8_t kPreDialingMask = 0x02;     // byte 10
    static constexpr std::uint8_t kBusyControlMask = 0x20;    // byte 10, FXO
    static constexpr std::uint8_t kCallerIDMask = 0xC0;       // byte 10, FXS
    static constexpr std::uint8_t kRingTime1Mask = 0xE0;      // byte 14, FXS
    static constexpr std::uint8_t kRingTime2Mask = 0x1F;      // byte 14, FXS

    using Base::Base;

    std::uint8_t OCM() const;
    std::uint8_t PM() const;
    std::uint8_t MLDM() const;
    std::uint8_t EchoDepth() const;
    std::uint8_t EchoLength() const;
    std::uint8_t HLP() const;
    std::uint8_t FlashTime() const;
    std::uint8_t EndSignal() const;
    std::uint8_t EndSignalTime() const;
    std::uint8_t LMDM() const;
    std::uint16_t LMFT() const;
    std::uint16_t LMNT() const;
    // Keys of the configuration file without a field: always 0.
    std::uint16_t MLFT() const { return 0; }
    std::uint16_t MLNT() const { return 0; }
    std::uint8_t FLAG() const;
    bool ForwardToMain() const;
    bool PreDialing() const;
    bool BusyControl() const;
    std::uint8_t CallerID() const;
    std::uint8_t VL() const;  // the low 4 bits
    std::uint16_t MAB() const;
    std::uint8_t PR() const;
    std::uint8_t RingTime1() const;
    std::uint8_t RingTime2() const;
    std::uint16_t OUTLIM() const;
    std::uint16_t INLIM() const;

    // Checked: 0..4, else "Недопустимое значение OutCallMode!".
    void SetOCM(int value) requires MutableByte<Byte>;
    // Checked: 0..2, else "Недопустимое значение PasswordMode!".
    void SetPM(int value) requires MutableByte<Byte>;
    // Checked: 0..1, else "Недопустимое значение M_LDialMode!".
    void SetMLDM(int value) requires MutableByte<Byte>;
    // Checked: 0..1, else "Недопустимое значение L_MDialMode!".
    void SetLMDM(int value) requires MutableByte<Byte>;
    // Only the low 4 bits are stored; checked: they must be 0..5, else
    // "Недопустимое значение Volume!".
    void SetVL(int value) requires MutableByte<Byte>;

    void SetEchoDepth(unsigned value) requires MutableByte<Byte>;
    void SetEchoLength(unsigned value) requires MutableByte<Byte>;
    void SetHLP(unsigned value) requires MutableByte<Byte>;
    void SetFlashTime(unsigned value) requires MutableByte<Byte>;
    void SetEndSignal(unsigned value) requires MutableByte<Byte>;
    void SetEndSignalTime(unsigned value) requires MutableByte<Byte>;
    // The low 8 bits into the 16-bit field.
    void SetLMFT(unsigned value) requires MutableByte<Byte>;
    void SetLMNT(unsigned value) requires MutableByte<Byte>;
    void SetMLFT(unsigned) const {}
    void SetMLNT(unsigned) const {}
    void SetFLAG(std::uint8_t value) requires MutableByte<Byte>;
    void SetForwardToMain(bool on) requires MutableByte<Byte>;
    void SetPreDialing(bool on) requires MutableByte<Byte>;
    void SetBusyControl(bool on) requires MutableByte<Byte>;
    void SetCallerID(unsigned value) requires MutableByte<Byte>;
    void SetMAB(std::uint16_t value) requires MutableByte<Byte>;
    void SetPR(std::uint8_t value) requires MutableByte<Byte>;
    // The raw bits of byte 14: RingTime1 in bits 5-7, RingTime2 in bits 0-4.
    void SetRingTime1(unsigned value) requires MutableByte<Byte>;
    void SetRingTime2(unsigned value) requires MutableByte<Byte>;
    // Values above 65535 store 65535.
    void SetOUTLIM(std::uint32_t value) requires MutableByte<Byte>;
    void SetINLIM(std::uint32_t value) requires MutableByte<Byte>;

    // All zero, which is a valid record.
    void Reset() requires MutableByte<Byte>;
};

using LineSettingRecord = BasicLineSettingRecord<std::uint8_t>;
using ConstLineSettingRecord = BasicLineSettingRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadSettingFXO, command::WriteSettingFXO,
                            LineSettingRecord::kSize));
static_assert(CarriesRecord(command::ReadSettingFXS, command::WriteSettingFXS,
                            LineSettingRecord::kSize));

extern template class BasicLineSettingRecord<std::uint8_t>;

}  // namespace tulvo
