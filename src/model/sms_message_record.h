#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// A 162-byte SMS text record: text in bytes 0..158, terminator 159, byte
// 160 unused, checksum 161.
template <typename Byte>
class BasicSmsMessageRecord : public RecordView<Byte, 162> {
    using Base = RecordView<Byte, 162>;

  public:
    static constexpr Field kText{0, 160};
    static constexpr std::size_t kTextChars = 159;

    using Base::Base;

    // "" unless the record's checksum is valid.
    std::string Text() const;

    // The first 159 characters, zero-padded, byte 159 := 0; recomputes the
    // checksum.
    void SetText(std::string_view text) requires MutableByte<Byte>;

    // 162 zero bytes.
    void Reset() requires MutableByte<Byte>;
};

using SmsMessageRecord = BasicSmsMessageRecord<std::uint8_t>;
using ConstSmsMessageRecord = BasicSmsMessageRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadSMSMessage, command::WriteSMSMessage,
                            SmsMessageRecord::kSize));

extern template class BasicSmsMessageRecord<std::uint8_t>;

}  // namespace tulvo
