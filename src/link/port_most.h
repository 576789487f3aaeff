#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "link/com_port.h"
#include "link/command_table.h"
#include "link/link_timing.h"
#include "link/link_trace.h"
#include "link/port_most_interfice.h"

namespace tulvo {

// The device protocol object: every command is one Transact, a request frame
// followed by a checked reply frame, repeated with fixed pauses on failure.
// Not thread-safe; one thread uses it at a time.
class TPortMost : public TPortMostInterfice {
  public:
    // Largest payload in either direction (request or reply).
    static constexpr int kMaxPayload = 530;

    explicit TPortMost(LinkTiming timing = {});

    // Opens the port at timing.baudRate with timing.readTimeout.
    bool Open(const std::string& device) override;
    bool Close() override;
    bool IsOpen() const { return port_.IsOpen(); }
    // The operating system's reason for the last failed Open, in plain words.
    const std::string& LastOpenError() const { return port_.LastError(); }
    // Why a network port's connection ended mid-action; empty otherwise.
    const std::string& LastLinkError() const { return port_.LastLinkError(); }

    const LinkTiming& Timing() const { return timing_; }
    // Pauses apply at once; the read time-out and baud rate from the next Open.
    void SetTiming(const LinkTiming& timing) { timing_ = timing; }

    // Sends one request and waits for its reply, up to `attempts` times.
    // `data` supplies requestLength bytes (the last one is replaced by their
    // checksum when there are two or more) and must hold at least
    // max(requestLength, replyLength) bytes, else nothing is sent.
    //
    // What a reply means is decided here and nowhere else:
    // - no reply, a broken frame, or a reply with status 0 whose payload is
    //   shorter than replyLength: a failed attempt;
    // - a reply whose payload is longer than replyLength: a failed attempt,
    //   never cut to size;
    // - a reply with another status: a completed transaction.
    // On true, status holds the reply's status byte, and data receives the
    // reply payload (checksum byte included) only when the payload is whole,
    // so a record never takes a partial reply. On false data is untouched.
    bool Transact(std::span<std::uint8_t> data, std::uint8_t& status, std::uint8_t command,
                  int requestLength, int replyLength, std::uint16_t index, int attempts);
    // Payload bytes of the last completed Transact (copied or not).
    std::size_t LastReplyLength() const { return lastReplyLength_; }

    bool WriteSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) override;
    // n is the 1-based subscriber or entry number; it travels as n - 1.
    bool WriteAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCode08(std::uint16_t index, std::span<std::uint8_t> data,
                    std::uint8_t& status) override;
    bool SendCode09(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCode0A(std::uint16_t index, std::span<std::uint8_t> data,
                    std::uint8_t& status) override;
    bool WriteBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    // Sends a 22-byte entry whose first byte is 0xFF; data may be empty, else
    // its other bytes go along (data itself is not modified).
    bool ClearBlackListEntry(int n, std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCode0E(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool WriteClock(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadClock(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool ReadSysInfo(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCodeF0(std::span<std::uint8_t> data, std::uint8_t& status) override;
    // "+++_EXIT" at the exit baud rate, a pause, back to the normal rate, then
    // ReadSysInfo into data.
    bool SendExit(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCode01(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCode0F(std::span<std::uint8_t> data, std::uint8_t& status) override;
    bool SendCode12(std::span<std::uint8_t> data, std::uint8_t& status) override;
    // Resets LogSequence to 0 before its request.
    bool ReadLogHeader(std::span<std::uint8_t> data, std::uint8_t& status) override;
    // Sends LogSequence as the index and advances it, successful or not.
    bool ReadLogRecord(std::span<std::uint8_t> data, std::uint8_t& status) override;
    // One attempt only: a repeated request would erase the next block.
    bool EraseLogBlock(std::span<std::uint8_t> data, std::uint8_t& status) override;

    bool ReadAbLimit(int n, std::span<std::uint8_t> data, std::uint8_t& status);
    bool WriteAbLimit(int n, std::span<std::uint8_t> data, std::uint8_t& status);
    // m is the message number 0 to 9 and travels unchanged.
    bool WriteSMSMessage(int m, std::span<std::uint8_t> data, std::uint8_t& status);
    bool ReadSMSMessage(int m, std::span<std::uint8_t> data, std::uint8_t& status);
    bool ReadTotalLimit(std::span<std::uint8_t> data, std::uint8_t& status);
    bool WriteTotalLimit(std::span<std::uint8_t> data, std::uint8_t& status);
    bool ReadDevName(std::span<std::uint8_t> data, std::uint8_t& status);
    bool WriteDevName(std::span<std::uint8_t> data, std::uint8_t& status);
    bool WritePinCode(std::span<std::uint8_t> data, std::uint8_t& status);
    // The balance in 1/10000 currency units (1234 hundredths -> 123400);
    // 0 when the read fails or the status is not 0. data receives the payload.
    std::int64_t ReadAccountBalance(std::span<std::uint8_t> data, std::uint8_t& status);
    bool WriteFirmwareBlock(std::uint16_t address, std::span<std::uint8_t> data,
                            std::uint8_t& status);
    bool EndFirmwareUpdate(std::span<std::uint8_t> data, std::uint8_t& status);
    // The pause the bootloader needs once during a program image, before its
    // 97th block (timing.firmwarePause).
    void FirmwarePause() { Pause(timing_.firmwarePause); }

    // Called with each pause just before it is slept (for diagnostics/tests).
    // After a missing reply it is called with the no-reply pause, which is
    // then spent draining the line (and may last longer, see LinkTiming).
    using PauseObserver = std::function<void(std::chrono::milliseconds)>;
    void SetPauseObserver(PauseObserver observer) { pauseObserver_ = std::move(observer); }

    // Reports every request, reply and trouble on the link to `trace`
    // (null: nothing is reported). The trace must outlive its use here.
    void SetTrace(LinkTrace* trace) { trace_ = trace; }

    // Running index of ReadLogRecord; ReadLogHeader sets it to 0.
    std::int32_t LogSequence = 0;

  private:
    // Offsets inside message_: the header fields and the buffer form one
    // contiguous run, so a request or reply is simply its first 6 + n bytes.
    static constexpr std::size_t kCommand = 0;
    static constexpr std::size_t kRequestLength = 1;
    static constexpr std::size_t kReplyLength = 2;
    static constexpr std::size_t kIndex = 3;   // 16 bits, little-endian
    static constexpr std::size_t kBuffer = 5;  // header checksum, then payload
    static constexpr std::size_t kHeaderSize = 6;
    // Header checksum, up to 530 payload bytes, and one byte more so that a
    // reply longer than announced is seen as such.
    static constexpr std::size_t kBufferSize = 532;

    // One transaction of the command: its code, sizes and attempts from the
    // command table, and its fixed index or the one given.
    bool Issue(const Command& command, std::span<std::uint8_t> data, std::uint8_t& status);
    bool Issue(const Command& command, std::uint16_t index, std::span<std::uint8_t> data,
               std::uint8_t& status);
    // One exchange of the request built in message_: true when a reply that
    // completes the transaction came (its payload copied into data when
    // whole); false after the pause that a retry needs.
    bool Attempt(int requestLength, std::size_t expected, std::span<std::uint8_t> data,
                 std::uint8_t& status);
    void BuildRequest(const std::span<std::uint8_t> data, std::uint8_t command, int requestLength,
                      int replyLength, std::uint16_t index);
    void Resynchronise();
    // After a missing reply: the no-reply pause, spent throwing away whatever
    // arrives until the line stays quiet, so a late reply is never taken for
    // the answer to the next attempt or request.
    void WaitForQuietLine();
    // Drains stale bytes before a request, telling the trace how many.
    void DrainStaleBytes();
    // Tells the trace of an event of the current exchange. Callers test
    // trace_ first, so a link without a trace formats and times nothing.
    void Report(TraceEvent::Kind kind, std::span<const std::uint8_t> bytes = {},
                TraceEvent::Failure failure = TraceEvent::Failure::None, std::size_t count = 0);
    // The reply of k bytes in message_ as a trace event with its verdict.
    void ReportReply(std::size_t k, TraceEvent::Failure failure) {
        Report(TraceEvent::Kind::Reply, std::span(message_.data(), k), failure);
    }
    // The one place the link waits a fixed time; the observer hears of it.
    void Pause(std::chrono::milliseconds duration);
    // Sleeps the calling thread (nothing for a duration of zero or less).
    void Sleep(std::chrono::milliseconds duration);

    LinkTiming timing_;
    // command, request length, reply length, index (2), buffer (531).
    std::array<std::uint8_t, kBuffer + kBufferSize> message_{};
    TComPort port_;
    PauseObserver pauseObserver_;
    LinkTrace* trace_ = nullptr;
    // The request under way and its attempt, for the trace.
    struct Exchange {
        std::uint8_t command = 0;
        int requestLength = 0;
        int replyLength = 0;
        std::uint16_t index = 0;
        int attempt = 0;
        int attempts = 0;
    } exchange_;
    std::size_t lastReplyLength_ = 0;
    // A reply may still be on its way: the port was just opened, an attempt
    // went unanswered, or a retry succeeded in an earlier attempt's place.
    bool lateReplyPossible_ = true;
};

}  // namespace tulvo
