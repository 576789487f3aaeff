#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// A 22-byte black/white list entry. Every store recomputes the checksum.
template <typename Byte>
class BasicBlackListRecord : public RecordView<Byte, 22> {
    using Base = RecordView<Byte, 22>;

  public:
    // FLAG bits.
    static constexpr std::uint8_t kBlack = 0x01;
    static constexpr std::uint8_t kWhite = 0x02;
    static constexpr std::uint8_t kGsmToFxo = 0x04;
    static constexpr std::uint8_t kGsmToConf = 0x08;
    static constexpr std::uint8_t kFxoToGsm = 0x10;
    static constexpr std::uint8_t kFxsToGsm = 0x20;
    static constexpr std::uint8_t kEmpty = 0x80;

    static constexpr Field kFLAG{0, 1};
    static constexpr Field kGM{1, 1};
    static constexpr Field kNUM{2, 19};
    static constexpr std::size_t kNUMChars = 18;

    using Base::Base;

    std::uint8_t FLAG() const;
    bool Empty() const;
    std::uint8_t GM() const;
    std::string NUM() const;  // at most 18 characters

    void SetFLAG(std::uint8_t value) requires MutableByte<Byte>;
    void SetGM(std::uint8_t value) requires MutableByte<Byte>;
    // The first 18 characters, zero-padded, byte 20 := 0.
    void SetNUM(std::string_view text) requires MutableByte<Byte>;

    // FLAG 0x80, GM 0, NUM empty, checksum 0x20.
    void Reset() requires MutableByte<Byte>;
};

using BlackListRecord = BasicBlackListRecord<std::uint8_t>;
using ConstBlackListRecord = BasicBlackListRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadBlackListEntry, command::WriteBlackListEntry,
                            BlackListRecord::kSize));

extern template class BasicBlackListRecord<std::uint8_t>;

}  // namespace tulvo
