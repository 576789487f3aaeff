#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 38-byte phone record of a subscriber. Its stores leave the checksum
// as it is; it is made valid when the record is sent.
template <typename Byte>
class BasicAbPhoneRecord : public RecordView<Byte, 38> {
    using Base = RecordView<Byte, 38>;

  public:
    static constexpr std::uint8_t kNotInUse = 0x80;

    static constexpr Field kFlagPhone{0, 1};
    static constexpr Field kPhoneIndex{1, 2};
    static constexpr Field kPhoneLen{3, 1};
    static constexpr Field kPhoneIn{4, 25};
    static constexpr Field kPhoneOut{29, 8};
    static constexpr std::size_t kPhoneInChars = 24;
    static constexpr std::size_t kPhoneOutChars = 7;

    using Base::Base;

    std::uint8_t FlagPhone() const;
    std::uint16_t PhoneIndex() const;
    std::uint8_t PhoneLen() const;
    std::string PhoneIn() const;   // at most 24 characters
    std::string PhoneOut() const;  // at most 7 characters
    // The numbers as the operator sees and types them: PhoneIn, followed by
    // "/" and PhoneOut when PhoneOut is not empty.
    std::string Numbers() const;

    void SetFlagPhone(std::uint8_t value) requires MutableByte<Byte>;
    void SetPhoneIndex(std::uint16_t value) requires MutableByte<Byte>;
    void SetPhoneLen(std::uint8_t value) requires MutableByte<Byte>;
    // The first 24 characters, zero-padded; the terminator byte 28 is 0.
    void SetPhoneIn(std::string_view text) requires MutableByte<Byte>;
    // The first 7 characters, zero-padded; the terminator byte 36 is 0.
    void SetPhoneOut(std::string_view text) requires MutableByte<Byte>;

    // Stores the typed numbers of subscriber index phoneIndex (n - 1) and
    // puts the record in use. The main number runs to the first "/" or "\";
    // every later character except the separators belongs to the short
    // number. PhoneLen takes the short number's whole length (at most 255),
    // PhoneOut only its first 7 characters.
    void StoreNumbers(std::uint16_t phoneIndex, std::string_view typed) requires MutableByte<Byte>;
    // Empties the numbers as "Удалить" does; PhoneLen keeps its byte.
    void StoreDeleted(std::uint16_t phoneIndex) requires MutableByte<Byte>;

    // The blank phone record: 80 FF FF, 34 x 00, checksum.
    void Reset() requires MutableByte<Byte>;
};

using AbPhoneRecord = BasicAbPhoneRecord<std::uint8_t>;
using ConstAbPhoneRecord = BasicAbPhoneRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadAbPhone, command::WriteAbPhone, AbPhoneRecord::kSize));

extern template class BasicAbPhoneRecord<std::uint8_t>;

}  // namespace tulvo
