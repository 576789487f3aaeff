#include "link/command_table.h"

#include <gtest/gtest.h>

namespace tulvo {
namespace {

constexpr int kGiven = -1;  // the caller supplies the index

// Every row of the table, restated from the wire: a changed size, code,
// index or attempt count fails here even when client and simulated gateway
// change together.
TEST(CommandTableTest, EveryCommandHasTheWiresCodeSizesIndexAndAttempts) {
    const struct {
        const Command& command;
        const char* name;
        int code, request, reply, index, attempts;
    } rows[] = {
        {command::WriteSettingFXO, "WriteSettingFXO", 0x04, 20, 0, 0, 5},
        {command::ReadSettingFXO, "ReadSettingFXO", 0x05, 0, 20, 0, 5},
        {command::WriteSettingFXS, "WriteSettingFXS", 0x04, 20, 0, 1, 5},
        {command::ReadSettingFXS, "ReadSettingFXS", 0x05, 0, 20, 1, 5},
        {command::WriteSettingMOB, "WriteSettingMOB", 0x04, 52, 0, 2, 5},
        {command::ReadSettingMOB, "ReadSettingMOB", 0x05, 0, 52, 2, 5},
        {command::WriteSettingPASSWORD, "WriteSettingPASSWORD", 0x04, 9, 0, 3, 5},
        {command::ReadSettingPASSWORD, "ReadSettingPASSWORD", 0x05, 0, 9, 3, 5},
        {command::WriteSettingAlarm, "WriteSettingAlarm", 0x04, 161, 0, 4, 5},
        {command::ReadSettingAlarm, "ReadSettingAlarm", 0x05, 0, 161, 4, 5},
        {command::WriteTotalLimit, "WriteTotalLimit", 0x04, 10, 0, 5, 2},
        {command::ReadTotalLimit, "ReadTotalLimit", 0x05, 0, 10, 5, 2},
        {command::WriteDevName, "WriteDevName", 0x04, 10, 0, 6, 5},
        {command::ReadDevName, "ReadDevName", 0x05, 0, 10, 6, 5},
        {command::WritePinCode, "WritePinCode", 0x04, 6, 0, 7, 5},
        {command::WriteControlAccount, "WriteControlAccount", 0x04, 36, 0, 8, 5},
        {command::ReadControlAccount, "ReadControlAccount", 0x05, 0, 36, 8, 5},
        {command::ReadAccountBalance, "ReadAccountBalance", 0x05, 0, 5, 9, 5},
        {command::WriteAbInfo, "WriteAbInfo", 0x06, 33, 0, kGiven, 5},
        {command::ReadAbInfo, "ReadAbInfo", 0x07, 0, 33, kGiven, 5},
        {command::WriteAbPhone, "WriteAbPhone", 0x0A, 38, 0, kGiven, 5},
        {command::ReadAbPhone, "ReadAbPhone", 0x0B, 0, 38, kGiven, 5},
        {command::WriteAbLimit, "WriteAbLimit", 0x15, 6, 0, kGiven, 5},
        {command::ReadAbLimit, "ReadAbLimit", 0x14, 0, 6, kGiven, 5},
        {command::WriteBlackListEntry, "WriteBlackListEntry", 0x0C, 22, 0, kGiven, 5},
        {command::ReadBlackListEntry, "ReadBlackListEntry", 0x0D, 0, 22, kGiven, 5},
        {command::ClearBlackListEntry, "ClearBlackListEntry", 0x0C, 22, 0, kGiven, 5},
        {command::WriteSMSMessage, "WriteSMSMessage", 0x18, 162, 0, kGiven, 5},
        {command::ReadSMSMessage, "ReadSMSMessage", 0x19, 0, 162, kGiven, 5},
        {command::WriteClock, "WriteClock", 0x02, 10, 0, 0, 5},
        {command::ReadClock, "ReadClock", 0x03, 0, 10, 0, 5},
        {command::ReadSysInfo, "ReadSysInfo", 0x00, 0, 34, 0, 1},
        {command::ReadLogHeader, "ReadLogHeader", 0x11, 0, 5, 0, 5},
        {command::ReadLogRecord, "ReadLogRecord", 0x10, 0, 65, kGiven, 5},
        {command::EraseLogBlock, "EraseLogBlock", 0x13, 0, 0, 0, 1},
        {command::WriteFirmwareBlock, "WriteFirmwareBlock", 0x16, 529, 0, kGiven, 1},
        {command::EndFirmwareUpdate, "EndFirmwareUpdate", 0x17, 9, 0, 0, 5},
        {command::SendCode01, "SendCode01", 0x01, 0, 0, 0, 5},
        {command::SendCode08, "SendCode08", 0x08, 0, 0, kGiven, 5},
        {command::SendCode09, "SendCode09", 0x09, 0, 0, 0, 5},
        {command::SendCode0A, "SendCode0A", 0x0A, 0, 0, kGiven, 5},
        {command::SendCode0E, "SendCode0E", 0x0E, 0, 0, 0, 5},
        {command::SendCode0F, "SendCode0F", 0x0F, 65, 0, 0, 5},
        {command::SendCode12, "SendCode12", 0x12, 0, 0, 0, 5},
        {command::SendCodeF0, "SendCodeF0", 0xF0, 0, 0, 0, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Command& c = row.command;
        EXPECT_EQ(c.name, row.name);
        EXPECT_EQ(c.Code(), row.code);
        EXPECT_EQ(c.requestLength, row.request);
        EXPECT_EQ(c.replyLength, row.reply);
        EXPECT_EQ(c.index, row.index);
        EXPECT_EQ(c.attempts, row.attempts);
    }
}

}  // namespace
}  // namespace tulvo
