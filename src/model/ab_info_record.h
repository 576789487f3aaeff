#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "link/command_table.h"
#include "model/record_view.h"

namespace tulvo {

// The 33-byte subscriber record. Every store recomputes the checksum at
// once. Reads of an empty slot (FLAG bit 7 set) give 0 or "" for the fields
// the grid and editor show.
template <typename Byte>
class BasicAbInfoRecord : public RecordView<Byte, 33> {
    using Base = RecordView<Byte, 33>;

  public:
    // FLAG bits.
    static constexpr std::uint8_t kCallBack = 0x01;
    static constexpr std::uint8_t kLongDistance = 0x02;
    static constexpr std::uint8_t kActivation = 0x08;
    static constexpr std::uint8_t kUssdBarred = 0x40;
    static constexpr std::uint8_t kEmpty = 0x80;
    // LM bits: the lines the subscriber may use.
    static constexpr std::uint8_t kLineFxo = 0x01;
    static constexpr std::uint8_t kLineFxs = 0x02;
    static constexpr std::uint8_t kLineConference = 0x04;
    // Bits 3 to 5 of LM are always set when the byte is composed.
    static constexpr std::uint8_t kLineBase = 0x38;
    // The date every editor store and delete write into DateStamp.
    static constexpr int kStampDay = 1;
    static constexpr int kStampMonth = 1;
    static constexpr int kStampYear = 2035;

    static constexpr Field kFLAG{0, 1};
    static constexpr Field kID{1, 4};
    static constexpr Field kPassword{5, 8};
    static constexpr Field kLM{13, 1};
    static constexpr Field kDL{14, 1};
    static constexpr Field kReserved1{15, 1};
    static constexpr Field kReserved2{16, 4};
    static constexpr Field kDateStamp{20, 6};
    static constexpr Field kGr{26, 1};
    static constexpr Field kReserved3{27, 1};
    static constexpr Field kLimIn{28, 2};
    static constexpr Field kLimOut{30, 2};
    static constexpr std::size_t kPasswordChars = 7;

    using Base::Base;

    // FLAG: 0x80 for an empty slot, else the whole byte.
    std::uint8_t FLAG() const;
    bool Empty() const;
    bool Activation() const;
    std::uint32_t ID() const;  // also for an empty slot
    std::string Password() const;
    std::uint8_t LM() const;
    std::uint8_t DL() const;
    std::uint8_t Gr() const;
    std::uint16_t LimIn() const;
    std::uint16_t LimOut() const;
    // The group number 1 to 8 when Gr has exactly one bit set (bit k gives
    // k + 1); 0 for any other value and for an empty slot.
    int GroupNumber() const;
    static int GroupNumberOf(std::uint8_t gr);

    void SetFLAG(std::uint8_t value) requires MutableByte<Byte>;
    void SetID(std::uint32_t value) requires MutableByte<Byte>;
    // The first 7 characters, zero-padded; the terminator byte 12 is 0.
    void SetPassword(std::string_view text) requires MutableByte<Byte>;
    void SetLM(std::uint8_t value) requires MutableByte<Byte>;
    void SetDL(std::uint8_t value) requires MutableByte<Byte>;
    void SetGr(std::uint8_t value) requires MutableByte<Byte>;
    void SetReserved1(std::uint8_t value) requires MutableByte<Byte>;
    void SetReserved2(std::uint32_t value) requires MutableByte<Byte>;
    void SetReserved3(std::uint8_t value) requires MutableByte<Byte>;
    // Bytes 20..22 := 0, then day, month and the low 8 bits of the year.
    void SetDateStamp(int day, int month, int year) requires MutableByte<Byte>;
    // The low 16 bits of value.
    void SetLimIn(std::uint32_t value) requires MutableByte<Byte>;
    void SetLimOut(std::uint32_t value) requires MutableByte<Byte>;

    // LM := the fixed bits 3 to 5 plus the allowed lines.
    void StoreLineAccess(bool fxo, bool fxs, bool conference) requires MutableByte<Byte>;
    // FLAG := the four rights; the other bits, Empty among them, are 0, so
    // the slot is in use afterwards. USSD is stored inverted (UssdBarred).
    void StoreRights(bool callBack, bool longDistance, bool activation,
                     bool ussdAllowed) requires MutableByte<Byte>;
    // Gr := bit (group - 1) for a group 1 to 8; 0 (no group) for any other.
    void StoreGroup(int group) requires MutableByte<Byte>;
    // The bytes an editor store writes besides the fields it shows:
    // DateStamp 1 January 2035, Reserved1 and Reserved2 0, Reserved3 255.
    void StampEditorStore() requires MutableByte<Byte>;
    // Frees the slot as "Удалить" does: no lines, no ID, limits 0, default
    // line 0, group byte 1, the editor's date stamp, reserved bytes 0 and
    // FLAG 0x80. Password keeps its bytes.
    void StoreDeleted() requires MutableByte<Byte>;

    // The blank record: 8E FF FF FF FF, 8 x 00, 3F 00 FF FF FF FF FF,
    // 00 00 00 FF 00 00, FF FF FF FF FF FF, checksum.
    void Reset() requires MutableByte<Byte>;
    // Recomputes the checksum in the record, then returns its bytes.
    typename Base::Array CopyOut() requires MutableByte<Byte>;
};

using AbInfoRecord = BasicAbInfoRecord<std::uint8_t>;
using ConstAbInfoRecord = BasicAbInfoRecord<const std::uint8_t>;

static_assert(CarriesRecord(command::ReadAbInfo, command::WriteAbInfo, AbInfoRecord::kSize));

extern template class BasicAbInfoRecord<std::uint8_t>;

}  // namespace tulvo
