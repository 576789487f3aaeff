#pragma once

#include <cstddef>
#include <cstdint>

#include "link/command_table.h"

namespace tulvo::sim {

// The kinds of stored entries the gateway answers for. Records are kept as
// opaque byte strings of the size their read and write commands carry.
enum class RecordFamily {
    AbInfo,          // 300, ReadAbInfo / WriteAbInfo
    AbPhone,         // 300, ReadAbPhone / WriteAbPhone
    AbLimit,         // 300, ReadAbLimit / WriteAbLimit
    BlackListEntry,  // 186, ReadBlackListEntry / WriteBlackListEntry
    SMSMessage,      // 10, ReadSMSMessage / WriteSMSMessage
    Block,           // settings blocks 0..9, ReadBlock / WriteBlock (size depends on index)
};

// Settings block indexes.
enum BlockIndex : int {
    kBlockFXO = command::ReadSettingFXO.index,
    kBlockFXS = command::ReadSettingFXS.index,
    kBlockMOB = command::ReadSettingMOB.index,
    kBlockPassword = command::ReadSettingPASSWORD.index,
    kBlockAlarm = command::ReadSettingAlarm.index,
    kBlockTotalLimit = command::ReadTotalLimit.index,
    kBlockDevName = command::ReadDevName.index,
    kBlockPinCode = command::WritePinCode.index,
    kBlockControlAccount = command::ReadControlAccount.index,
    kBlockAccountBalance = command::ReadAccountBalance.index,
};

inline constexpr int kBlockCount = 10;

// Number of entries of a family (indexes 0 .. count-1).
int FamilyCount(RecordFamily family);

// Size in bytes (checksum included) of one entry; 0 for an index out of range.
std::size_t RecordSize(RecordFamily family, int index);

// Whether bit 7 of an entry's first byte marks it as empty.
bool FamilyHasEmptyFlag(RecordFamily family);

}  // namespace tulvo::sim
