#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tulvo {

// The gateway's command set as seen by the rest of the program. The order of
// the declarations is the interface's slot order and must not change.
// Every command takes the whole payload buffer (last byte = checksum) as a
// span of at least the command's request and reply sizes, and a status
// destination; it is done only when it returns true and status is 0. A span
// too small for the command sends nothing and returns false.
class TPortMostInterfice {
  public:
    virtual bool Open(const std::string& device) = 0;                                           // 0
    virtual bool Close() = 0;                                                                   // 1
    virtual bool WriteSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) = 0;       // 2
    virtual bool ReadSettingFXO(std::span<std::uint8_t> data, std::uint8_t& status) = 0;        // 3
    virtual bool WriteSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) = 0;       // 4
    virtual bool ReadSettingFXS(std::span<std::uint8_t> data, std::uint8_t& status) = 0;        // 5
    virtual bool WriteSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) = 0;  // 6
    virtual bool ReadSettingPASSWORD(std::span<std::uint8_t> data, std::uint8_t& status) = 0;   // 7
    virtual bool WriteSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) = 0;       // 8
    virtual bool ReadSettingMOB(std::span<std::uint8_t> data, std::uint8_t& status) = 0;        // 9
    virtual bool ReadControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) = 0;   // 10
    virtual bool WriteControlAccount(std::span<std::uint8_t> data, std::uint8_t& status) = 0;  // 11
    virtual bool WriteSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) = 0;    // 12
    virtual bool ReadSettingAlarm(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 13
    virtual bool WriteAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) = 0;   // 14
    virtual bool ReadAbInfo(int n, std::span<std::uint8_t> data, std::uint8_t& status) = 0;    // 15
    virtual bool SendCode08(std::uint16_t index, std::span<std::uint8_t> data,
                            std::uint8_t& status) = 0;                                         // 16
    virtual bool SendCode09(std::span<std::uint8_t> data, std::uint8_t& status) = 0;           // 17
    virtual bool WriteAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) = 0;  // 18
    virtual bool ReadAbPhone(int n, std::span<std::uint8_t> data, std::uint8_t& status) = 0;   // 19
    virtual bool SendCode0A(std::uint16_t index, std::span<std::uint8_t> data,
                            std::uint8_t& status) = 0;  // 20
    virtual bool WriteBlackListEntry(int n, std::span<std::uint8_t> data,
                                     std::uint8_t& status) = 0;  // 21
    virtual bool ReadBlackListEntry(int n, std::span<std::uint8_t> data,
                                    std::uint8_t& status) = 0;  // 22
    virtual bool ClearBlackListEntry(int n, std::span<std::uint8_t> data,
                                     std::uint8_t& status) = 0;                          // 23
    virtual bool SendCode0E(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 24
    virtual bool WriteClock(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 25
    virtual bool ReadClock(std::span<std::uint8_t> data, std::uint8_t& status) = 0;      // 26
    virtual bool ReadSysInfo(std::span<std::uint8_t> data, std::uint8_t& status) = 0;    // 27
    virtual bool SendCodeF0(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 28
    virtual bool SendExit(std::span<std::uint8_t> data, std::uint8_t& status) = 0;       // 29
    virtual bool SendCode01(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 30
    virtual bool SendCode0F(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 31
    virtual bool SendCode12(std::span<std::uint8_t> data, std::uint8_t& status) = 0;     // 32
    virtual bool ReadLogHeader(std::span<std::uint8_t> data, std::uint8_t& status) = 0;  // 33
    virtual bool ReadLogRecord(std::span<std::uint8_t> data, std::uint8_t& status) = 0;  // 34
    virtual bool EraseLogBlock(std::span<std::uint8_t> data, std::uint8_t& status) = 0;  // 35

    // Declared after the commands so it does not disturb their slot order;
    // virtual so that test doubles may be owned through the interface.
    virtual ~TPortMostInterfice() = default;
};

}  // namespace tulvo
