#include "sim/record_family.h"

#include <array>

#include "link/command_table.h"

namespace tulvo::sim {

namespace {

// The size of each settings block, by index: what its read answers, or for
// the write-only PIN what its write sends.
constexpr std::array<int, kBlockCount> kBlockSizes = {
    command::ReadSettingFXO.replyLength,     command::ReadSettingFXS.replyLength,
    command::ReadSettingMOB.replyLength,     command::ReadSettingPASSWORD.replyLength,
    command::ReadSettingAlarm.replyLength,   command::ReadTotalLimit.replyLength,
    command::ReadDevName.replyLength,        command::WritePinCode.requestLength,
    command::ReadControlAccount.replyLength, command::ReadAccountBalance.replyLength,
};

constexpr std::size_t Size(int length) {
    return static_cast<std::size_t>(length);
}

}  // namespace

int FamilyCount(RecordFamily family) {
    switch (family) {
        case RecordFamily::AbInfo:
        case RecordFamily::AbPhone:
        case RecordFamily::AbLimit:
            return 300;
        case RecordFamily::BlackListEntry:
            return 186;
        case RecordFamily::SMSMessage:
            return 10;
        case RecordFamily::Block:
            return kBlockCount;
    }
    return 0;
}

std::size_t RecordSize(RecordFamily family, int index) {
    if (index < 0 || index >= FamilyCount(family)) {
        return 0;
    }
    switch (family) {
        case RecordFamily::AbInfo:
            return Size(command::ReadAbInfo.replyLength);
        case RecordFamily::AbPhone:
            return Size(command::ReadAbPhone.replyLength);
        case RecordFamily::AbLimit:
            return Size(command::ReadAbLimit.replyLength);
        case RecordFamily::BlackListEntry:
            return Size(command::ReadBlackListEntry.replyLength);
        case RecordFamily::SMSMessage:
            return Size(command::ReadSMSMessage.replyLength);
        case RecordFamily::Block:
            return Size(kBlockSizes[static_cast<std::size_t>(index)]);
    }
    return 0;
}

bool FamilyHasEmptyFlag(RecordFamily family) {
    return family == RecordFamily::AbInfo || family == RecordFamily::AbPhone ||
           family == RecordFamily::BlackListEntry;
}

}  // namespace tulvo::sim
