#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tulvo {

// Command codes as they travel in the first byte of a request. Several
// operations share a code: the settings blocks all go through WriteBlock and
// ReadBlock and differ in their index.
enum class CommandCode : std::uint8_t {
    ReadSysInfo = 0x00,
    SendCode01 = 0x01,
    WriteClock = 0x02,
    ReadClock = 0x03,
    WriteBlock = 0x04,
    ReadBlock = 0x05,
    WriteAbInfo = 0x06,
    ReadAbInfo = 0x07,
    SendCode08 = 0x08,
    SendCode09 = 0x09,
    WriteAbPhone = 0x0A,
    ReadAbPhone = 0x0B,
    WriteBlackListEntry = 0x0C,
    ReadBlackListEntry = 0x0D,
    SendCode0E = 0x0E,
    SendCode0F = 0x0F,
    ReadLogRecord = 0x10,
    ReadLogHeader = 0x11,
    SendCode12 = 0x12,
    EraseLogBlock = 0x13,
    ReadAbLimit = 0x14,
    WriteAbLimit = 0x15,
    WriteFirmwareBlock = 0x16,
    EndFirmwareUpdate = 0x17,
    WriteSMSMessage = 0x18,
    ReadSMSMessage = 0x19,
    SendCodeF0 = 0xF0,
};

// The index of a command whose index the caller supplies (a record number,
// a message number, a firmware address, the call-log sequence).
inline constexpr int kIndexGiven = -1;

// One operation of the link: the request it sends and the reply it expects.
// Sizes are payload bytes with the checksum byte included.
struct Command {
    std::string_view name;
    CommandCode code;
    int requestLength;
    int replyLength;
    int index;  // the fixed index, or kIndexGiven
    int attempts;

    constexpr std::uint8_t Code() const { return static_cast<std::uint8_t>(code); }
};

// Every operation that goes out as one transaction, shared by TPortMost and
// the simulated gateway.
namespace command {

// clang-format off
//                                             name                    code                              request and reply sizes, index, attempts

// Settings blocks, addressed by their index.
inline constexpr Command WriteSettingFXO{      "WriteSettingFXO",      CommandCode::WriteBlock,          20,  0,   0,           5};
inline constexpr Command ReadSettingFXO{       "ReadSettingFXO",       CommandCode::ReadBlock,           0,   20,  0,           5};
inline constexpr Command WriteSettingFXS{      "WriteSettingFXS",      CommandCode::WriteBlock,          20,  0,   1,           5};
inline constexpr Command ReadSettingFXS{       "ReadSettingFXS",       CommandCode::ReadBlock,           0,   20,  1,           5};
inline constexpr Command WriteSettingMOB{      "WriteSettingMOB",      CommandCode::WriteBlock,          52,  0,   2,           5};
inline constexpr Command ReadSettingMOB{       "ReadSettingMOB",       CommandCode::ReadBlock,           0,   52,  2,           5};
inline constexpr Command WriteSettingPASSWORD{ "WriteSettingPASSWORD", CommandCode::WriteBlock,          9,   0,   3,           5};
inline constexpr Command ReadSettingPASSWORD{  "ReadSettingPASSWORD",  CommandCode::ReadBlock,           0,   9,   3,           5};
inline constexpr Command WriteSettingAlarm{    "WriteSettingAlarm",    CommandCode::WriteBlock,          161, 0,   4,           5};
inline constexpr Command ReadSettingAlarm{     "ReadSettingAlarm",     CommandCode::ReadBlock,           0,   161, 4,           5};
inline constexpr Command WriteTotalLimit{      "WriteTotalLimit",      CommandCode::WriteBlock,          10,  0,   5,           2};
inline constexpr Command ReadTotalLimit{       "ReadTotalLimit",       CommandCode::ReadBlock,           0,   10,  5,           2};
inline constexpr Command WriteDevName{         "WriteDevName",         CommandCode::WriteBlock,          10,  0,   6,           5};
inline constexpr Command ReadDevName{          "ReadDevName",          CommandCode::ReadBlock,           0,   10,  6,           5};
inline constexpr Command WritePinCode{         "WritePinCode",         CommandCode::WriteBlock,          6,   0,   7,           5};
inline constexpr Command WriteControlAccount{  "WriteControlAccount",  CommandCode::WriteBlock,          36,  0,   8,           5};
inline constexpr Command ReadControlAccount{   "ReadControlAccount",   CommandCode::ReadBlock,           0,   36,  8,           5};
inline constexpr Command ReadAccountBalance{   "ReadAccountBalance",   CommandCode::ReadBlock,           0,   5,   9,           5};

// Record families, addressed by record number - 1 (SMS texts by their number).
inline constexpr Command WriteAbInfo{          "WriteAbInfo",          CommandCode::WriteAbInfo,         33,  0,   kIndexGiven, 5};
inline constexpr Command ReadAbInfo{           "ReadAbInfo",           CommandCode::ReadAbInfo,          0,   33,  kIndexGiven, 5};
inline constexpr Command WriteAbPhone{         "WriteAbPhone",         CommandCode::WriteAbPhone,        38,  0,   kIndexGiven, 5};
inline constexpr Command ReadAbPhone{          "ReadAbPhone",          CommandCode::ReadAbPhone,         0,   38,  kIndexGiven, 5};
inline constexpr Command WriteAbLimit{         "WriteAbLimit",         CommandCode::WriteAbLimit,        6,   0,   kIndexGiven, 5};
inline constexpr Command ReadAbLimit{          "ReadAbLimit",          CommandCode::ReadAbLimit,         0,   6,   kIndexGiven, 5};
inline constexpr Command WriteBlackListEntry{  "WriteBlackListEntry",  CommandCode::WriteBlackListEntry, 22,  0,   kIndexGiven, 5};
inline constexpr Command ReadBlackListEntry{   "ReadBlackListEntry",   CommandCode::ReadBlackListEntry,  0,   22,  kIndexGiven, 5};

// A black-list write whose entry starts with the empty mark 0xFF.
inline constexpr Command ClearBlackListEntry{  "ClearBlackListEntry",  CommandCode::WriteBlackListEntry, 22,  0,   kIndexGiven, 5};
inline constexpr Command WriteSMSMessage{      "WriteSMSMessage",      CommandCode::WriteSMSMessage,     162, 0,   kIndexGiven, 5};
inline constexpr Command ReadSMSMessage{       "ReadSMSMessage",       CommandCode::ReadSMSMessage,      0,   162, kIndexGiven, 5};

// Clock, device information, call log and firmware.
inline constexpr Command WriteClock{           "WriteClock",           CommandCode::WriteClock,          10,  0,   0,           5};
inline constexpr Command ReadClock{            "ReadClock",            CommandCode::ReadClock,           0,   10,  0,           5};
inline constexpr Command ReadSysInfo{          "ReadSysInfo",          CommandCode::ReadSysInfo,         0,   34,  0,           1};
inline constexpr Command ReadLogHeader{        "ReadLogHeader",        CommandCode::ReadLogHeader,       0,   5,   0,           5};
inline constexpr Command ReadLogRecord{        "ReadLogRecord",        CommandCode::ReadLogRecord,       0,   65,  kIndexGiven, 5};
// Every erase that reaches the gateway removes a block, even one whose reply
// is lost: it is sent once, and the caller finds out what happened.
inline constexpr Command EraseLogBlock{        "EraseLogBlock",        CommandCode::EraseLogBlock,       0,   0,   0,           1};

// 528 bytes of the image and the checksum; the header's request length byte
// carries only the low 8 bits of 529.
inline constexpr Command WriteFirmwareBlock{   "WriteFirmwareBlock",   CommandCode::WriteFirmwareBlock,  529, 0,   kIndexGiven, 1};
inline constexpr Command EndFirmwareUpdate{    "EndFirmwareUpdate",    CommandCode::EndFirmwareUpdate,   9,   0,   0,           5};

// Service commands that no part of the program issues.
inline constexpr Command SendCode01{           "SendCode01",           CommandCode::SendCode01,          0,   0,   0,           5};
inline constexpr Command SendCode08{           "SendCode08",           CommandCode::SendCode08,          0,   0,   kIndexGiven, 5};
inline constexpr Command SendCode09{           "SendCode09",           CommandCode::SendCode09,          0,   0,   0,           5};

// WriteAbPhone's code without a payload.
inline constexpr Command SendCode0A{           "SendCode0A",           CommandCode::WriteAbPhone,        0,   0,   kIndexGiven, 5};
inline constexpr Command SendCode0E{           "SendCode0E",           CommandCode::SendCode0E,          0,   0,   0,           5};
inline constexpr Command SendCode0F{           "SendCode0F",           CommandCode::SendCode0F,          65,  0,   0,           5};
inline constexpr Command SendCode12{           "SendCode12",           CommandCode::SendCode12,          0,   0,   0,           5};
inline constexpr Command SendCodeF0{           "SendCodeF0",           CommandCode::SendCodeF0,          0,   0,   0,           5};
// clang-format on

// Every command above, in table order.
inline constexpr Command kAll[] = {
    WriteSettingFXO,
    ReadSettingFXO,
    WriteSettingFXS,
    ReadSettingFXS,
    WriteSettingMOB,
    ReadSettingMOB,
    WriteSettingPASSWORD,
    ReadSettingPASSWORD,
    WriteSettingAlarm,
    ReadSettingAlarm,
    WriteTotalLimit,
    ReadTotalLimit,
    WriteDevName,
    ReadDevName,
    WritePinCode,
    WriteControlAccount,
    ReadControlAccount,
    ReadAccountBalance,
    WriteAbInfo,
    ReadAbInfo,
    WriteAbPhone,
    ReadAbPhone,
    WriteAbLimit,
    ReadAbLimit,
    WriteBlackListEntry,
    ReadBlackListEntry,
    ClearBlackListEntry,
    WriteSMSMessage,
    ReadSMSMessage,
    WriteClock,
    ReadClock,
    ReadSysInfo,
    ReadLogHeader,
    ReadLogRecord,
    EraseLogBlock,
    WriteFirmwareBlock,
    EndFirmwareUpdate,
    SendCode01,
    SendCode08,
    SendCode09,
    SendCode0A,
    SendCode0E,
    SendCode0F,
    SendCode12,
    SendCodeF0,
};

}  // namespace command

// The table's name of a request. Several commands share a code (the
// settings blocks, WriteAbPhone and SendCode0A), so its sizes and index tell
// them apart; where even those agree (ClearBlackListEntry is a
// WriteBlackListEntry) the first in the table is named. Empty when no
// command fits.
constexpr std::string_view CommandName(std::uint8_t code, int requestLength, int replyLength,
                                       std::uint16_t index) {
    for (const Command& c : command::kAll) {
        if (c.Code() == code && c.requestLength == requestLength && c.replyLength == replyLength &&
            (c.index == kIndexGiven || c.index == index)) {
            return c.name;
        }
    }
    return {};
}

// Whether a record of `size` bytes is what `read` answers and `write` sends.
constexpr bool CarriesRecord(const Command& read, const Command& write, std::size_t size) {
    return static_cast<std::size_t>(read.replyLength) == size &&
           static_cast<std::size_t>(write.requestLength) == size;
}

}  // namespace tulvo
