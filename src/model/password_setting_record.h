#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 9-byte administrator password record (SettingPASSWORD).
template <typename Byte>
class BasicPasswordSettingRecord : public RecordView<Byte, 9> {
    using Base = RecordView<Byte, 9>;

  public:
    static constexpr Field kPassword{0, 8};
    static constexpr std::size_t kPasswordChars = 7;

    using Base::Base;

    std::string Password() const;  // at most 7 characters

    // The first 7 characters, zero-padded, byte 7 := 0; recomputes the
    // checksum.
    void SetPassword(std::string_view text) requires MutableByte<Byte>;

    // "9387", checksum valid.
    void Reset() requires MutableByte<Byte>;
};

using PasswordSettingRecord = BasicPasswordSettingRecord<std::uint8_t>;
using ConstPasswordSettingRecord = BasicPasswordSettingRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadSettingPASSWORD, command::WriteSettingPASSWORD,
                            PasswordSettingRecord::kSize));

extern template class BasicPasswordSettingRecord<std::uint8_t>;

}  // namespace tulvo
