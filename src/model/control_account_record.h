#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 36-byte account balance control record (ControlAccount). Stores
// leave the checksum stale.
template <typename Byte>
class BasicControlAccountRecord : public RecordView<Byte, 36> {
    using Base = RecordView<Byte, 36>;

  public:
    static constexpr std::uint8_t kAccountOn = 0x01;

    static constexpr Field kFlags{0, 1};
    static constexpr Field kTO1{1, 2};
    static constexpr Field kUSSD{3, 15};
    static constexpr Field kUNIT{18, 7};
    static constexpr Field kAL{25, 2};
    static constexpr Field kAB{27, 8};  // AB1..AB4, signed 16-bit each
    static constexpr std::size_t kUSSDTerminator = 14;
    static constexpr int kAccountSubscribers = 4;

    using Base::Base;

    std::uint8_t Flags() const;
    bool AccountOn() const;
    std::uint16_t TO1() const;
    std::string USSD() const;  // up to the first zero, never beyond byte 17
    std::string UNIT() const;  // up to the first zero, never beyond byte 24
    std::uint16_t AL() const;  // whole currency units
    // AB1..AB4 by index 0..3: subscriber number - 1, or -1 for none; another
    // index reads as -1.
    std::int16_t AB(int index) const;

    void SetAccountOn(bool on) requires MutableByte<Byte>;
    void SetTO1(std::uint16_t hours) requires MutableByte<Byte>;
    // The first 15 characters into bytes 3..17, then byte 14 := 0, which
    // leaves at most 11 characters.
    void SetUSSD(std::string_view text) requires MutableByte<Byte>;
    // The first 7 characters, zero-padded.
    void SetUNIT(std::string_view text) requires MutableByte<Byte>;
    // The whole units of a currency amount, low 16 bits.
    void SetAL(double amount) requires MutableByte<Byte>;
    // Index 0..3; another index is ignored.
    void SetAB(int index, std::int16_t subscriber) requires MutableByte<Byte>;

    // Flags 0, TO1 1, USSD "*101#", UNIT "UAH", AL 5, AB1..AB4 -1; the
    // checksum byte is left 0.
    void Reset() requires MutableByte<Byte>;
};

using ControlAccountRecord = BasicControlAccountRecord<std::uint8_t>;
using ConstControlAccountRecord = BasicControlAccountRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadControlAccount, command::WriteControlAccount,
                            ControlAccountRecord::kSize));

extern template class BasicControlAccountRecord<std::uint8_t>;

}  // namespace tulvo
