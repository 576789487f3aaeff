#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sim/record_family.h"

namespace tulvo::sim {

using Bytes = std::vector<std::uint8_t>;

// What the gateway reports about itself (the reply to ReadSysInfo).
struct SysInfoValues {
    std::string firmware = "TU-2.14";       // up to 11 characters
    std::string imei = "356938035643809";   // up to 15 characters
    std::uint8_t signal = 21;               // 0..31
    std::uint16_t bootloader = 0x0200;      // four 4-bit digits: 02.00
    bool bootloaderComplementValid = true;  // false: complement bytes disagree
};

// Everything the simulated gateway stores. Every public member locks, so the
// serving thread and a test may use it at the same time.
//
// Records are opaque byte strings of the family's size. A record that was
// never written reads as empty (status 2); so does one whose first byte has
// bit 7 set in the families that use that flag, unless that is switched off.
// When a record is answered, its last byte is sent as the checksum of the
// bytes before it, so preloaded records need not carry a valid one.
class GatewayState {
  public:
    GatewayState();

    // Stores an entry. Throws std::out_of_range for a bad index and
    // std::invalid_argument when the size is not the family's.
    void Put(RecordFamily family, int index, std::span<const std::uint8_t> bytes);
    // Forgets an entry: it reads as never written again.
    void Erase(RecordFamily family, int index);
    // The stored bytes, or nothing when never written (or out of range).
    std::optional<Bytes> Get(RecordFamily family, int index) const;
    // Whether a read of the entry answers "empty".
    bool ReadsAsEmpty(RecordFamily family, int index) const;
    // Number of entries of a family that were ever written and not erased.
    std::size_t StoredCount(RecordFamily family) const;

    // Default: true. When false, only never-written entries read as empty.
    void SetFlaggedEntriesReadAsEmpty(bool on);

    void SetSysInfo(const SysInfoValues& info);
    SysInfoValues SysInfo() const;
    // The 34-byte payload of the system information reply, checksum included.
    Bytes SysInfoPayload() const;

    // Balance in hundredths of the currency unit (settings block 9).
    void SetAccountBalance(std::int32_t hundredths);
    // Device identifier text, cut to 8 bytes (settings block 6).
    void SetDevName(const std::string& name);

    // The last clock written (10 bytes), and how many writes came.
    Bytes Clock() const;
    int ClockWrites() const;
    void WriteClock(std::span<const std::uint8_t> bytes);

    // Call log: blocks of 65-byte records, oldest first.
    void AddLogBlock(std::vector<Bytes> records);
    std::size_t LogBlockCount() const;
    // Records of the current (oldest) block; nothing when no block is left.
    std::optional<std::vector<Bytes>> CurrentLogBlock() const;
    // Removes the current block; false when there is none.
    bool EraseLogBlock();

    // Firmware blocks by address, each the 529 bytes received.
    void StoreFirmwareBlock(std::uint16_t address, std::span<const std::uint8_t> bytes);
    std::map<std::uint16_t, Bytes> FirmwareBlocks() const;
    std::size_t FirmwareBlockWrites() const;
    void NoteFirmwareEnd();
    int FirmwareEnds() const;
    void ClearFirmware();

  private:
    using Family = std::vector<std::optional<Bytes>>;

    Family& FamilyOf(RecordFamily family);
    const Family& FamilyOf(RecordFamily family) const;
    bool ReadsAsEmptyLocked(RecordFamily family, int index) const;
    void PutLocked(RecordFamily family, int index, std::span<const std::uint8_t> bytes);

    mutable std::mutex mutex_;
    std::map<RecordFamily, Family> records_;
    bool flaggedEmpty_ = true;
    SysInfoValues sysInfo_;
    Bytes clock_;
    int clockWrites_ = 0;
    std::deque<std::vector<Bytes>> logBlocks_;
    std::map<std::uint16_t, Bytes> firmware_;
    std::size_t firmwareWrites_ = 0;
    int firmwareEnds_ = 0;
};

}  // namespace tulvo::sim
