#pragma once

#include <cstddef>
#include <cstdint>

namespace tulvo::sim {

// The kinds of stored entries the gateway answers for. Records are kept as
// opaque byte strings; only their sizes and counts are known here.
enum class RecordFamily {
    AbInfo,          // 33 bytes x 300, read 0x07, write 0x06
    AbPhone,         // 38 bytes x 300, read 0x0B, write 0x0A
    AbLimit,         // 6 bytes x 300, read 0x14, write 0x15
    BlackListEntry,  // 22 bytes x 186, read 0x0D, write 0x0C
    SMSMessage,      // 162 bytes x 10, read 0x19, write 0x18
    Block,           // settings blocks 0..9, read 0x05, write 0x04 (size depends on index)
};

// Settings block indexes.
enum BlockIndex : int {
    kBlockFXO = 0,
    kBlockFXS = 1,
    kBlockMOB = 2,
    kBlockPassword = 3,
    kBlockAlarm = 4,
    kBlockTotalLimit = 5,
    kBlockDevName = 6,
    kBlockPinCode = 7,
    kBlockControlAccount = 8,
    kBlockAccountBalance = 9,
};

inline constexpr int kBlockCount = 10;

// Number of entries of a family (indexes 0 .. count-1).
int FamilyCount(RecordFamily family);

// Size in bytes (checksum included) of one entry; 0 for an index out of range.
std::size_t RecordSize(RecordFamily family, int index);

// Whether bit 7 of an entry's first byte marks it as empty.
bool FamilyHasEmptyFlag(RecordFamily family);

}  // namespace tulvo::sim
