#include "sim/record_family.h"

#include <array>

namespace tulvo::sim {

namespace {

constexpr std::array<std::size_t, kBlockCount> kBlockSizes = {20, 20, 52, 9, 161, 10, 10, 6, 36, 5};

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
            return 33;
        case RecordFamily::AbPhone:
            return 38;
        case RecordFamily::AbLimit:
            return 6;
        case RecordFamily::BlackListEntry:
            return 22;
        case RecordFamily::SMSMessage:
            return 162;
        case RecordFamily::Block:
            return kBlockSizes[static_cast<std::size_t>(index)];
    }
    return 0;
}

bool FamilyHasEmptyFlag(RecordFamily family) {
    return family == RecordFamily::AbInfo || family == RecordFamily::AbPhone ||
           family == RecordFamily::BlackListEntry;
}

}  // namespace tulvo::sim
