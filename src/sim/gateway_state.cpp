#include "sim/gateway_state.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "link/command_table.h"
#include "link/crc8.h"

namespace tulvo::sim {

namespace {

constexpr auto kSysInfoSize = static_cast<std::size_t>(command::ReadSysInfo.replyLength);
constexpr auto kClockSize = static_cast<std::size_t>(command::ReadClock.replyLength);

void CopyText(const std::string& text, Bytes& out, std::size_t offset, std::size_t width) {
    const std::size_t n = std::min(text.size(), width);
    std::copy_n(text.begin(), n, out.begin() + static_cast<std::ptrdiff_t>(offset));
}

void SealChecksum(Bytes& bytes) {
    if (bytes.size() > 1) {
        bytes.back() = Crc8(bytes.data(), bytes.size() - 1);
    }
}

}  // namespace

GatewayState::GatewayState() : clock_(kClockSize, 0) {
    for (auto family :
         {RecordFamily::AbInfo, RecordFamily::AbPhone, RecordFamily::AbLimit,
          RecordFamily::BlackListEntry, RecordFamily::SMSMessage, RecordFamily::Block}) {
        records_[family].resize(static_cast<std::size_t>(FamilyCount(family)));
    }
    // A fresh gateway has its settings blocks filled (all zeros is a record
    // with a valid checksum), so a full read succeeds.
    for (int index = 0; index < kBlockCount; ++index) {
        if (index != kBlockPinCode) {
            PutLocked(RecordFamily::Block, index, Bytes(RecordSize(RecordFamily::Block, index)));
        }
    }
    Bytes total(RecordSize(RecordFamily::Block, kBlockTotalLimit), 0);
    total[0] = 0x01;  // total limit switched off
    SealChecksum(total);
    PutLocked(RecordFamily::Block, kBlockTotalLimit, total);
    SetDevName("TU-0001");
}

GatewayState::Family& GatewayState::FamilyOf(RecordFamily family) {
    return records_.at(family);
}

const GatewayState::Family& GatewayState::FamilyOf(RecordFamily family) const {
    return records_.at(family);
}

void GatewayState::PutLocked(RecordFamily family, int index, std::span<const std::uint8_t> bytes) {
    const std::size_t size = RecordSize(family, index);
    if (size == 0) {
        throw std::out_of_range("record index out of range: " + std::to_string(index));
    }
    if (bytes.size() != size) {
        throw std::invalid_argument("record of " + std::to_string(bytes.size()) + " bytes where " +
                                    std::to_string(size) + " belong");
    }
    FamilyOf(family)[static_cast<std::size_t>(index)] = Bytes(bytes.begin(), bytes.end());
}

void GatewayState::Put(RecordFamily family, int index, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    PutLocked(family, index, bytes);
}

void GatewayState::Erase(RecordFamily family, int index) {
    std::lock_guard lock(mutex_);
    if (RecordSize(family, index) != 0) {
        FamilyOf(family)[static_cast<std::size_t>(index)].reset();
    }
}

std::optional<Bytes> GatewayState::Get(RecordFamily family, int index) const {
    std::lock_guard lock(mutex_);
    if (RecordSize(family, index) == 0) {
        return std::nullopt;
    }
    return FamilyOf(family)[static_cast<std::size_t>(index)];
}

bool GatewayState::ReadsAsEmptyLocked(RecordFamily family, int index) const {
    const auto& entry = FamilyOf(family)[static_cast<std::size_t>(index)];
    if (!entry) {
        return true;
    }
    return flaggedEmpty_ && FamilyHasEmptyFlag(family) && ((*entry)[0] & 0x80) != 0;
}

bool GatewayState::ReadsAsEmpty(RecordFamily family, int index) const {
    std::lock_guard lock(mutex_);
    if (RecordSize(family, index) == 0) {
        return true;
    }
    return ReadsAsEmptyLocked(family, index);
}

std::size_t GatewayState::StoredCount(RecordFamily family) const {
    std::lock_guard lock(mutex_);
    const auto& entries = FamilyOf(family);
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const auto& e) { return e.has_value(); }));
}

void GatewayState::SetFlaggedEntriesReadAsEmpty(bool on) {
    std::lock_guard lock(mutex_);
    flaggedEmpty_ = on;
}

void GatewayState::SetSysInfo(const SysInfoValues& info) {
    std::lock_guard lock(mutex_);
    sysInfo_ = info;
}

SysInfoValues GatewayState::SysInfo() const {
    std::lock_guard lock(mutex_);
    return sysInfo_;
}

Bytes GatewayState::SysInfoPayload() const {
    const SysInfoValues info = SysInfo();
    Bytes out(kSysInfoSize, 0);
    CopyText(info.firmware, out, 0, 11);  // byte 11 stays 0: the terminator
    CopyText(info.imei, out, 12, 15);
    out[28] = info.signal;
    out[29] = static_cast<std::uint8_t>(info.bootloader & 0xFF);
    out[30] = static_cast<std::uint8_t>(info.bootloader >> 8);
    std::uint16_t complement = static_cast<std::uint16_t>(~info.bootloader);
    if (!info.bootloaderComplementValid) {
        complement ^= 0x0101;
    }
    out[31] = static_cast<std::uint8_t>(complement & 0xFF);
    out[32] = static_cast<std::uint8_t>(complement >> 8);
    SealChecksum(out);
    return out;
}

void GatewayState::SetAccountBalance(std::int32_t hundredths) {
    Bytes block(RecordSize(RecordFamily::Block, kBlockAccountBalance), 0);
    const auto value = static_cast<std::uint32_t>(hundredths);
    for (int i = 0; i < 4; ++i) {
        block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    SealChecksum(block);
    Put(RecordFamily::Block, kBlockAccountBalance, block);
}

void GatewayState::SetDevName(const std::string& name) {
    Bytes block(RecordSize(RecordFamily::Block, kBlockDevName), 0);
    CopyText(name, block, 0, 8);
    SealChecksum(block);
    Put(RecordFamily::Block, kBlockDevName, block);
}

Bytes GatewayState::Clock() const {
    std::lock_guard lock(mutex_);
    return clock_;
}

int GatewayState::ClockWrites() const {
    std::lock_guard lock(mutex_);
    return clockWrites_;
}

void GatewayState::WriteClock(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    clock_.assign(bytes.begin(), bytes.end());
    ++clockWrites_;
}

void GatewayState::AddLogBlock(std::vector<Bytes> records) {
    std::lock_guard lock(mutex_);
    logBlocks_.push_back(std::move(records));
}

std::size_t GatewayState::LogBlockCount() const {
    std::lock_guard lock(mutex_);
    return logBlocks_.size();
}

std::optional<std::vector<Bytes>> GatewayState::CurrentLogBlock() const {
    std::lock_guard lock(mutex_);
    if (logBlocks_.empty()) {
        return std::nullopt;
    }
    return logBlocks_.front();
}

bool GatewayState::EraseLogBlock() {
    std::lock_guard lock(mutex_);
    if (logBlocks_.empty()) {
        return false;
    }
    logBlocks_.pop_front();
    return true;
}

void GatewayState::StoreFirmwareBlock(std::uint16_t address, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    firmware_[address] = Bytes(bytes.begin(), bytes.end());
    ++firmwareWrites_;
}

std::map<std::uint16_t, Bytes> GatewayState::FirmwareBlocks() const {
    std::lock_guard lock(mutex_);
    return firmware_;
}

std::size_t GatewayState::FirmwareBlockWrites() const {
    std::lock_guard lock(mutex_);
    return firmwareWrites_;
}

void GatewayState::NoteFirmwareEnd() {
    std::lock_guard lock(mutex_);
    ++firmwareEnds_;
}

int GatewayState::FirmwareEnds() const {
    std::lock_guard lock(mutex_);
    return firmwareEnds_;
}

void GatewayState::ClearFirmware() {
    std::lock_guard lock(mutex_);
    firmware_.clear();
    firmwareWrites_ = 0;
    firmwareEnds_ = 0;
}

}  // namespace tulvo::sim
