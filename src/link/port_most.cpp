#include "link/port_most.h"

#include <algorithm>
#include <thread>

#include "link/account_balance.h"
#include "link/crc8.h"

namespace tulvo {
namespace {

// Settings block indexes of the block commands.
enum BlockIndex : std::uint16_t {
    kFxoBlock = 0,
    kFxsBlock = 1,
    kMobBlock = 2,
    kPasswordBlock = 3,
    kAlarmBlock = 4,
    kTotalLimitBlock = 5,
    kDevNameBlock = 6,
    kPinCodeBlock = 7,
    kControlAccountBlock = 8,
    kAccountBalanceBlock = 9,
};

enum Code : std::uint8_t {
    kReadSysInfo = 0x00,
    kCode01 = 0x01,
    kWriteClock = 0x02,
    kReadClock = 0x03,
    kWriteBlock = 0x04,
    kReadBlock = 0x05,
    kWriteAbInfo = 0x06,
    kReadAbInfo = 0x07,
    kCode08 = 0x08,
    kCode09 = 0x09,
    kWriteAbPhone = 0x0A,
    kReadAbPhone = 0x0B,
    kWriteBlackList = 0x0C,
    kReadBlackList = 0x0D,
    kCode0E = 0x0E,
    kCode0F = 0x0F,
    kReadLogRecord = 0x10,
    kReadLogHeader = 0x11,
    kCode12 = 0x12,
    kEraseLogBlock = 0x13,
    kReadAbLimit = 0x14,
    kWriteAbLimit = 0x15,
    kWriteFirmwareBlock = 0x16,
    kEndFirmwareUpdate = 0x17,
    kWriteSms = 0x18,
    kReadSms = 0x19,
    kCodeF0 = 0xF0,
};

// Record sizes (checksum byte included).
constexpr int kFxoSize = 20;
constexpr int kFxsSize = 20;
constexpr int kMobSize = 52;
constexpr int kPasswordSize = 9;
constexpr int kAlarmSize = 161;
constexpr int kTotalLimitSize = 10;
constexpr int kDevNameSize = 10;
constexpr int kPinCodeSize = 6;
constexpr int kControlAccountSize = 36;
constexpr int kAccountBalanceSize = 5;
constexpr int kAbInfoSize = 33;
constexpr int kAbPhoneSize = 38;
constexpr int kAbLimitSize = 6;
constexpr int kBlackListSize = 22;
constexpr int kSmsSize = 162;
constexpr int kClockSize = 10;
constexpr int kSysInfoSize = 34;
constexpr int kLogHeaderSize = 5;
constexpr int kLogRecordSize = 65;
constexpr int kCode0FSize = 65;
constexpr int kFirmwareBlockSize = 529;
constexpr int kEndFirmwareSize = 9;

// Subscribers and entries are numbered from 1; the wire carries n - 1.
std::uint16_t RecordIndex(int n) {
    return static_cast<std::uint16_t>(n - 1);
}

}  // namespace

TPortMost::TPortMost(LinkTiming timing) : timing_(timing) {}

bool TPortMost::Open(const std::string& device) {
    return port_.Open(device, timing_.baudRate, timing_.readTimeout);
}

bool TPortMost::Close() {
    return port_.Close();
}

void TPortMost::Pause(std::chrono::milliseconds duration) {
    if (pauseObserver_) {
        pauseObserver_(duration);
    }
    Sleep(duration);
}

void TPortMost::Sleep(std::chrono::milliseconds duration) {
    if (duration.count() > 0) {
        std::this_thread::sleep_for(duration);
    }
}

void TPortMost::WaitForQuietLine() {
    if (pauseObserver_) {
        pauseObserver_(timing_.noReplyPause);
    }
    const auto start = std::chrono::steady_clock::now();
    if (!port_.Drain(timing_.LateReplyQuiet(), timing_.LateReplyLimit())) {
        // Nothing can arrive on a closed or hung-up port: the plain pause.
        Sleep(std::chrono::duration_cast<std::chrono::milliseconds>(
            start + timing_.noReplyPause - std::chrono::steady_clock::now()));
    }
}

void TPortMost::Resynchronise() {
    Pause(timing_.beforeResyncPause);
    port_.WriteFrame(nullptr, 0);
    Pause(timing_.afterResyncPause);
}

void TPortMost::BuildRequest(const std::span<std::uint8_t> data, std::uint8_t command,
                             int requestLength, int replyLength, std::uint16_t index) {
    message_[kCommand] = command;
    message_[kRequestLength] = static_cast<std::uint8_t>(requestLength & 0xFF);
    message_[kReplyLength] = static_cast<std::uint8_t>(replyLength & 0xFF);
    message_[kIndex] = static_cast<std::uint8_t>(index & 0xFF);
    message_[kIndex + 1] = static_cast<std::uint8_t>(index >> 8);
    message_[kBuffer] = Crc8(message_.data(), kBuffer);
    std::uint8_t* payload = message_.data() + kHeaderSize;
    if (requestLength > 0) {
        std::copy_n(data.begin(), requestLength, payload);
    }
    if (requestLength > 1) {
        payload[requestLength - 1] = Crc8(payload, static_cast<std::size_t>(requestLength - 1));
    }
}

bool TPortMost::Transact(std::span<std::uint8_t> data, std::uint8_t& status, std::uint8_t command,
                         int requestLength, int replyLength, std::uint16_t index, int attempts) {
    if (requestLength < 0 || requestLength > kMaxPayload || replyLength < 0 ||
        replyLength > kMaxPayload ||
        data.size() < static_cast<std::size_t>(std::max(requestLength, replyLength))) {
        return false;
    }
    const std::size_t expected = static_cast<std::size_t>(replyLength);
    for (int attempt = 0; attempt < attempts; ++attempt) {
        BuildRequest(data, command, requestLength, replyLength, index);
        port_.Purge();
        // The purge leaves bytes that were still on their way, such as the
        // tail of a reply that came too late for an earlier request.
        if (attempt == 0 && port_.BytesWaiting()) {
            port_.Drain(timing_.StaleBytesQuiet(), timing_.readTimeout);
        }
        port_.WriteFrame(message_.data(), kHeaderSize + static_cast<std::size_t>(requestLength));
        // One byte beyond the announced length tells a longer reply apart.
        const std::size_t k = port_.ReadFrame(message_.data(), kHeaderSize + expected + 1);
        if (k < kHeaderSize) {
            WaitForQuietLine();
            continue;
        }
        if (Crc8(message_.data(), kHeaderSize) != 0 || k > kHeaderSize + expected) {
            Resynchronise();
            continue;
        }
        status = message_[kCommand];
        const std::size_t m = k - kHeaderSize;
        const std::uint8_t* payload = message_.data() + kHeaderSize;
        if (m > 1 && Crc8(payload, m) != 0) {
            Resynchronise();
            continue;
        }
        if (status == 0 && m < expected) {
            Pause(timing_.noReplyPause);
            continue;
        }
        if (m == expected) {
            std::copy(payload, payload + m, data.begin());
        }
        lastReplyLength_ = m;
        return true;
    }
    return false;
}

bool TPortMost::Block(std::uint8_t command, int requestLength, int replyLength, std::uint16_t index,
                      std::span<std::uint8_t> data, std::uint8_t& status, int attempts) {
    return Transact(data, status, command, requestLength, replyLength, index, attempts);
}

bool TPortMost::WriteSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kFxoSize, 0, kFxoBlock, data, status);
}
bool TPortMost::ReadSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kFxoSize, kFxoBlock, data, status);
}
bool TPortMost::WriteSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kFxsSize, 0, kFxsBlock, data, status);
}
bool TPortMost::ReadSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kFxsSize, kFxsBlock, data, status);
}
bool TPortMost::WriteSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kPasswordSize, 0, kPasswordBlock, data, status);
}
bool TPortMost::ReadSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kPasswordSize, kPasswordBlock, data, status);
}
bool TPortMost::WriteSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kMobSize, 0, kMobBlock, data, status);
}
bool TPortMost::ReadSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kMobSize, kMobBlock, data, status);
}
bool TPortMost::ReadControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kControlAccountSize, kControlAccountBlock, data, status);
}
bool TPortMost::WriteControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kControlAccountSize, 0, kControlAccountBlock, data, status);
}
bool TPortMost::WriteSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kAlarmSize, 0, kAlarmBlock, data, status);
}
bool TPortMost::ReadSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kAlarmSize, kAlarmBlock, data, status);
}

bool TPortMost::WriteAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteAbInfo, kAbInfoSize, 0, RecordIndex(n), data, status);
}
bool TPortMost::ReadAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadAbInfo, 0, kAbInfoSize, RecordIndex(n), data, status);
}
bool TPortMost::SendCode08(std::uint16_t index, std::span<std::uint8_t> data,
                           std::uint8_t& status) {
    return Block(kCode08, 0, 0, index, data, status);
}
bool TPortMost::SendCode09(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kCode09, 0, 0, 0, data, status);
}
bool TPortMost::WriteAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteAbPhone, kAbPhoneSize, 0, RecordIndex(n), data, status);
}
bool TPortMost::ReadAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadAbPhone, 0, kAbPhoneSize, RecordIndex(n), data, status);
}
bool TPortMost::SendCode0A(std::uint16_t index, std::span<std::uint8_t> data,
                           std::uint8_t& status) {
    return Block(kWriteAbPhone, 0, 0, index, data, status);
}
bool TPortMost::WriteBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlackList, kBlackListSize, 0, RecordIndex(n), data, status);
}
bool TPortMost::ReadBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlackList, 0, kBlackListSize, RecordIndex(n), data, status);
}
bool TPortMost::ClearBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    std::array<std::uint8_t, kBlackListSize> entry{};
    std::copy_n(data.begin(), std::min(data.size(), entry.size()), entry.begin());
    entry[0] = 0xFF;  // the empty-entry mark
    return Block(kWriteBlackList, kBlackListSize, 0, RecordIndex(n), entry, status);
}
bool TPortMost::SendCode0E(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kCode0E, 0, 0, 0, data, status);
}
bool TPortMost::WriteClock(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteClock, kClockSize, 0, 0, data, status);
}
bool TPortMost::ReadClock(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadClock, 0, kClockSize, 0, data, status);
}
bool TPortMost::ReadSysInfo(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadSysInfo, 0, kSysInfoSize, 0, data, status, 1);
}
bool TPortMost::SendCodeF0(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kCodeF0, 0, 0, 0, data, status);
}

bool TPortMost::SendExit(std::span<std::uint8_t> data, std::uint8_t& status) {
    static constexpr std::uint8_t kExit[] = {'+', '+', '+', '_', 'E', 'X', 'I', 'T'};
    port_.SetBaudRate(timing_.exitBaudRate);
    port_.WriteFrame(kExit, sizeof kExit);
    Pause(timing_.exitPause);
    port_.SetBaudRate(timing_.baudRate);
    return ReadSysInfo(data, status);
}

bool TPortMost::SendCode01(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kCode01, 0, 0, 0, data, status);
}
bool TPortMost::SendCode0F(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kCode0F, kCode0FSize, 0, 0, data, status);
}
bool TPortMost::SendCode12(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kCode12, 0, 0, 0, data, status);
}

bool TPortMost::ReadLogHeader(std::span<std::uint8_t> data, std::uint8_t& status) {
    LogSequence = 0;
    return Block(kReadLogHeader, 0, kLogHeaderSize, 0, data, status);
}
bool TPortMost::ReadLogRecord(std::span<std::uint8_t> data, std::uint8_t& status) {
    const bool done = Block(kReadLogRecord, 0, kLogRecordSize,
                            static_cast<std::uint16_t>(LogSequence), data, status);
    ++LogSequence;
    return done;
}
// Every request that reaches the gateway erases a block, also one whose reply
// is lost: it is sent once, and the caller finds out what a lost reply did
// before it asks again.
bool TPortMost::EraseLogBlock(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kEraseLogBlock, 0, 0, 0, data, status, 1);
}

bool TPortMost::ReadAbLimit(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadAbLimit, 0, kAbLimitSize, RecordIndex(n), data, status);
}
bool TPortMost::WriteAbLimit(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteAbLimit, kAbLimitSize, 0, RecordIndex(n), data, status);
}
bool TPortMost::WriteSMSMessage(int m, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteSms, kSmsSize, 0, static_cast<std::uint16_t>(m), data, status);
}
bool TPortMost::ReadSMSMessage(int m, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadSms, 0, kSmsSize, static_cast<std::uint16_t>(m), data, status);
}
bool TPortMost::ReadTotalLimit(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kTotalLimitSize, kTotalLimitBlock, data, status, 2);
}
bool TPortMost::WriteTotalLimit(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kTotalLimitSize, 0, kTotalLimitBlock, data, status, 2);
}
bool TPortMost::ReadDevName(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kReadBlock, 0, kDevNameSize, kDevNameBlock, data, status);
}
bool TPortMost::WriteDevName(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kDevNameSize, 0, kDevNameBlock, data, status);
}
bool TPortMost::WritePinCode(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kWriteBlock, kPinCodeSize, 0, kPinCodeBlock, data, status);
}

std::int64_t TPortMost::ReadAccountBalance(std::span<std::uint8_t> data, std::uint8_t& status) {
    if (!Block(kReadBlock, 0, kAccountBalanceSize, kAccountBalanceBlock, data, status) ||
        status != 0) {
        return 0;
    }
    return AccountBalance::AmountFromPayload(data.first(kAccountBalanceSize));
}

bool TPortMost::WriteFirmwareBlock(std::uint16_t address, std::span<std::uint8_t> data,
                                   std::uint8_t& status) {
    return Block(kWriteFirmwareBlock, kFirmwareBlockSize, 0, address, data, status, 1);
}
bool TPortMost::EndFirmwareUpdate(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Block(kEndFirmwareUpdate, kEndFirmwareSize, 0, 0, data, status);
}

}  // namespace tulvo
