#pragma once

#include <cstdint>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 6-byte total time limit record of a subscriber. Every store
// recomputes the checksum.
template <typename Byte>
class BasicAbLimitRecord : public RecordView<Byte, 6> {
    using Base = RecordView<Byte, 6>;

  public:
    // Bits of the flags byte.
    static constexpr std::uint8_t kLimitOff = 0x01;
    static constexpr std::uint8_t kLimitIn = 0x02;
    static constexpr std::uint8_t kLimitOut = 0x04;

    static constexpr Field kFlags{0, 1};
    static constexpr Field kLimitSeconds{1, 4};

    using Base::Base;

    // LimitOff read inverted: whether the total limit is on.
    bool LimitOn() const;
    bool LimitIn() const;
    bool LimitOut() const;
    std::uint32_t LimitSeconds() const;

    // On clears LimitOff, off sets it.
    void SetLimitOn(bool on) requires MutableByte<Byte>;
    void SetLimitIn(bool on) requires MutableByte<Byte>;
    void SetLimitOut(bool on) requires MutableByte<Byte>;
    void SetLimitSeconds(std::uint32_t seconds) requires MutableByte<Byte>;

    // Flags 0x01 (limit off), time 0, checksum.
    void Reset() requires MutableByte<Byte>;
};

using AbLimitRecord = BasicAbLimitRecord<std::uint8_t>;
using ConstAbLimitRecord = BasicAbLimitRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadAbLimit, command::WriteAbLimit, AbLimitRecord::kSize));

extern template class BasicAbLimitRecord<std::uint8_t>;

}  // namespace tulvo
