#include "link/port_most.h"

#include <algorithm>
#include <thread>

#include "link/account_balance.h"
#include "link/command_table.h"
#include "link/crc8.h"

namespace tulvo {
namespace {

// Subscribers and entries are numbered from 1; the wire carries n - 1.
std::uint16_t RecordIndex(int n) {
    return static_cast<std::uint16_t>(n - 1);
}

}  // namespace

TPortMost::TPortMost(LinkTiming timing) : timing_(timing) {}

bool TPortMost::Open(const std::string& device) {
    lateReplyPossible_ = true;  // whatever the line carried before is unknown
    const bool opened =
        port_.Open(device, timing_.baudRate, timing_.readTimeout, timing_.connectTimeout);
    if (trace_) {
        TraceEvent event{.kind = TraceEvent::Kind::Open,
                         .time = std::chrono::system_clock::now(),
                         .device = device};
        if (!opened) {
            event.failure = TraceEvent::Failure::OpenFailed;
            event.detail = port_.LastError();
        }
        trace_->Record(event);
    }
    return opened;
}

bool TPortMost::Close() {
    if (trace_ && port_.IsOpen()) {
        Report(TraceEvent::Kind::Close);
    }
    return port_.Close();
}

void TPortMost::Report(TraceEvent::Kind kind, std::span<const std::uint8_t> bytes,
                       TraceEvent::Failure failure, std::size_t count) {
    trace_->Record(TraceEvent{.kind = kind,
                              .failure = failure,
                              .time = std::chrono::system_clock::now(),
                              .command = exchange_.command,
                              .requestLength = exchange_.requestLength,
                              .replyLength = exchange_.replyLength,
                              .index = exchange_.index,
                              .attempt = exchange_.attempt,
                              .attempts = exchange_.attempts,
                              .bytes = bytes,
                              .count = count});
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
    std::size_t discarded = 0;
    if (!port_.Drain(timing_.LateReplyQuiet(), timing_.LateReplyLimit(), &discarded)) {
        // Nothing can arrive on a closed or hung-up port: the plain pause.
        Sleep(std::chrono::duration_cast<std::chrono::milliseconds>(
            start + timing_.noReplyPause - std::chrono::steady_clock::now()));
    }
    if (trace_ && discarded > 0) {
        Report(TraceEvent::Kind::Drained, {}, TraceEvent::Failure::None, discarded);
    }
}

void TPortMost::DrainStaleBytes() {
    std::size_t discarded = 0;
    port_.Drain(timing_.StaleBytesQuiet(), timing_.readTimeout, &discarded);
    if (trace_ && discarded > 0) {
        Report(TraceEvent::Kind::Drained, {}, TraceEvent::Failure::None, discarded);
    }
}

void TPortMost::Resynchronise() {
    Pause(timing_.beforeResyncPause);
    port_.WriteFrame(nullptr, 0);
    if (trace_) {
        Report(TraceEvent::Kind::Resync);
    }
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
    exchange_ = {command, requestLength, replyLength, index, 0, attempts};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        exchange_.attempt = attempt + 1;
        BuildRequest(data, command, requestLength, replyLength, index);
        port_.Purge();
        // The purge leaves bytes that were still on their way, such as the
        // tail of a reply that came too late for an earlier request. Only a
        // request that went unanswered can have one, so the line is looked
        // at only then, and not before every request of a healthy transfer.
        if (attempt == 0 && lateReplyPossible_ && port_.BytesWaiting()) {
            DrainStaleBytes();
        }
        lateReplyPossible_ = true;  // until this attempt has its answer
        if (Attempt(requestLength, expected, data, status)) {
            // A retry's success leaves the earlier attempts' replies unseen.
            lateReplyPossible_ = attempt > 0;
            return true;
        }
    }
    return false;
}

bool TPortMost::Attempt(int requestLength, std::size_t expected, std::span<std::uint8_t> data,
                        std::uint8_t& status) {
    using Failure = TraceEvent::Failure;
    const std::size_t requestSize = kHeaderSize + static_cast<std::size_t>(requestLength);
    const bool written = port_.WriteFrame(message_.data(), requestSize);
    if (trace_) {
        Report(TraceEvent::Kind::Request, std::span(message_.data(), requestSize),
               written ? Failure::None : Failure::WriteFailed);
    }
    // One byte beyond the announced length tells a longer reply apart.
    const std::size_t k = port_.ReadFrame(message_.data(), kHeaderSize + expected + 1);
    if (k < kHeaderSize) {
        if (trace_ && k == 0) {
            Report(TraceEvent::Kind::AttemptFailed, {}, Failure::NoReply);
        } else if (trace_) {
            ReportReply(k, Failure::BrokenFrame);
        }
        WaitForQuietLine();
        return false;
    }
    const bool headerBroken = Crc8(message_.data(), kHeaderSize) != 0;
    if (headerBroken || k > kHeaderSize + expected) {
        if (trace_) {
            ReportReply(k, headerBroken ? Failure::BrokenFrame : Failure::LongerThanAnnounced);
        }
        Resynchronise();
        return false;
    }
    status = message_[kCommand];
    const std::size_t m = k - kHeaderSize;
    const std::uint8_t* payload = message_.data() + kHeaderSize;
    if (m > 1 && Crc8(payload, m) != 0) {
        if (trace_) {
            ReportReply(k, Failure::BrokenFrame);
        }
        Resynchronise();
        return false;
    }
    if (status == 0 && m < expected) {
        if (trace_) {
            ReportReply(k, Failure::ShortReply);
        }
        Pause(timing_.noReplyPause);
        return false;
    }
    if (trace_) {
        ReportReply(k, Failure::None);
    }
    if (m == expected) {
        std::copy(payload, payload + m, data.begin());
    }
    lastReplyLength_ = m;
    return true;
}

bool TPortMost::Issue(const Command& command, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command, static_cast<std::uint16_t>(command.index), data, status);
}

bool TPortMost::Issue(const Command& command, std::uint16_t index, std::span<std::uint8_t> data,
                      std::uint8_t& status) {
    return Transact(data, status, command.Code(), command.requestLength, command.replyLength, index,
                    command.attempts);
}

bool TPortMost::WriteSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteSettingFXO, data, status);
}
bool TPortMost::ReadSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSettingFXO, data, status);
}
bool TPortMost::WriteSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteSettingFXS, data, status);
}
bool TPortMost::ReadSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSettingFXS, data, status);
}
bool TPortMost::WriteSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteSettingPASSWORD, data, status);
}
bool TPortMost::ReadSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSettingPASSWORD, data, status);
}
bool TPortMost::WriteSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteSettingMOB, data, status);
}
bool TPortMost::ReadSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSettingMOB, data, status);
}
bool TPortMost::ReadControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadControlAccount, data, status);
}
bool TPortMost::WriteControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteControlAccount, data, status);
}
bool TPortMost::WriteSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteSettingAlarm, data, status);
}
bool TPortMost::ReadSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSettingAlarm, data, status);
}

bool TPortMost::WriteAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteAbInfo, RecordIndex(n), data, status);
}
bool TPortMost::ReadAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadAbInfo, RecordIndex(n), data, status);
}
bool TPortMost::SendCode08(std::uint16_t index, std::span<std::uint8_t> data,
                           std::uint8_t& status) {
    return Issue(command::SendCode08, index, data, status);
}
bool TPortMost::SendCode09(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::SendCode09, data, status);
}
bool TPortMost::WriteAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteAbPhone, RecordIndex(n), data, status);
}
bool TPortMost::ReadAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadAbPhone, RecordIndex(n), data, status);
}
bool TPortMost::SendCode0A(std::uint16_t index, std::span<std::uint8_t> data,
                           std::uint8_t& status) {
    return Issue(command::SendCode0A, index, data, status);
}
bool TPortMost::WriteBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteBlackListEntry, RecordIndex(n), data, status);
}
bool TPortMost::ReadBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadBlackListEntry, RecordIndex(n), data, status);
}
bool TPortMost::ClearBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    std::array<std::uint8_t, command::ClearBlackListEntry.requestLength> entry{};
    std::copy_n(data.begin(), std::min(data.size(), entry.size()), entry.begin());
    entry[0] = 0xFF;  // the empty-entry mark
    return Issue(command::ClearBlackListEntry, RecordIndex(n), entry, status);
}
bool TPortMost::SendCode0E(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::SendCode0E, data, status);
}
bool TPortMost::WriteClock(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteClock, data, status);
}
bool TPortMost::ReadClock(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadClock, data, status);
}
bool TPortMost::ReadSysInfo(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSysInfo, data, status);
}
bool TPortMost::SendCodeF0(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::SendCodeF0, data, status);
}

bool TPortMost::SendExit(std::span<std::uint8_t> data, std::uint8_t& status) {
    static constexpr std::uint8_t kExit[] = {'+', '+', '+', '_', 'E', 'X', 'I', 'T'};
    port_.SetBaudRate(timing_.exitBaudRate);
    port_.WriteFrame(kExit, sizeof kExit);
    if (trace_) {
        Report(TraceEvent::Kind::Exit, kExit, TraceEvent::Failure::None,
               static_cast<std::size_t>(timing_.exitBaudRate));
    }
    lateReplyPossible_ = true;
    Pause(timing_.exitPause);
    port_.SetBaudRate(timing_.baudRate);
    return ReadSysInfo(data, status);
}

bool TPortMost::SendCode01(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::SendCode01, data, status);
}
bool TPortMost::SendCode0F(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::SendCode0F, data, status);
}
bool TPortMost::SendCode12(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::SendCode12, data, status);
}

bool TPortMost::ReadLogHeader(std::span<std::uint8_t> data, std::uint8_t& status) {
    LogSequence = 0;
    return Issue(command::ReadLogHeader, data, status);
}
bool TPortMost::ReadLogRecord(std::span<std::uint8_t> data, std::uint8_t& status) {
    const bool done =
        Issue(command::ReadLogRecord, static_cast<std::uint16_t>(LogSequence), data, status);
    ++LogSequence;
    return done;
}
// Every request that reaches the gateway erases a block, also one whose reply
// is lost: it is sent once, and the caller finds out what a lost reply did
// before it asks again.
bool TPortMost::EraseLogBlock(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::EraseLogBlock, data, status);
}

bool TPortMost::ReadAbLimit(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadAbLimit, RecordIndex(n), data, status);
}
bool TPortMost::WriteAbLimit(int n, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteAbLimit, RecordIndex(n), data, status);
}
bool TPortMost::WriteSMSMessage(int m, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteSMSMessage, static_cast<std::uint16_t>(m), data, status);
}
bool TPortMost::ReadSMSMessage(int m, std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadSMSMessage, static_cast<std::uint16_t>(m), data, status);
}
bool TPortMost::ReadTotalLimit(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadTotalLimit, data, status);
}
bool TPortMost::WriteTotalLimit(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteTotalLimit, data, status);
}
bool TPortMost::ReadDevName(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::ReadDevName, data, status);
}
bool TPortMost::WriteDevName(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WriteDevName, data, status);
}
bool TPortMost::WritePinCode(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::WritePinCode, data, status);
}

std::int64_t TPortMost::ReadAccountBalance(std::span<std::uint8_t> data, std::uint8_t& status) {
    if (!Issue(command::ReadAccountBalance, data, status) || status != 0) {
        return 0;
    }
    return AccountBalance::AmountFromPayload(data.first(AccountBalance::kSize));
}

bool TPortMost::WriteFirmwareBlock(std::uint16_t address, std::span<std::uint8_t> data,
                                   std::uint8_t& status) {
    return Issue(command::WriteFirmwareBlock, address, data, status);
}
bool TPortMost::EndFirmwareUpdate(std::span<std::uint8_t> data, std::uint8_t& status) {
    return Issue(command::EndFirmwareUpdate, data, status);
}

}  // namespace tulvo
