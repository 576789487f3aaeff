#include "sim/demo_call_log.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

#include "link/byte_io.h"
#include "link/command_table.h"

namespace tulvo::sim {
namespace {

using namespace byte_io;

constexpr std::uint32_t kNone = 0xFFFFFFFF;

struct When {
    int second, minute, hour, day, month, yearOffset;
};

Bytes Record(std::uint8_t callType, std::uint32_t idOut, std::uint32_t idIn,
             const std::string& dialled, const std::string& caller, std::uint16_t seconds,
             When when) {
    Bytes record(static_cast<std::size_t>(command::ReadLogRecord.replyLength), 0);
    std::span<std::uint8_t> bytes(record);
    WriteU8(bytes, 1, callType);
    WriteU32le(bytes, 2, idOut);
    WriteU32le(bytes, 6, idIn);
    std::copy_n(dialled.begin(), std::min<std::size_t>(dialled.size(), 19), record.begin() + 10);
    std::copy_n(caller.begin(), std::min<std::size_t>(caller.size(), 19), record.begin() + 29);
    WriteU16le(bytes, 48, seconds);
    WriteU8(bytes, 50, static_cast<std::uint8_t>(when.second));
    WriteU8(bytes, 51, static_cast<std::uint8_t>(when.minute));
    WriteU8(bytes, 52, static_cast<std::uint8_t>(when.hour));
    WriteU8(bytes, 53, static_cast<std::uint8_t>(when.day));
    WriteU8(bytes, 54, static_cast<std::uint8_t>(when.month));
    WriteU8(bytes, 55, static_cast<std::uint8_t>(when.yearOffset));
    return record;
}

}  // namespace

std::vector<std::vector<Bytes>> DemoCallLogBlocks() {
    std::vector<Bytes> first{
        Record(0, 1, kNone, "0442001122", "80501234567", 184, {36, 12, 9, 3, 12, 26}),
        Record(1, 2, kNone, "101", "80672345678", 45, {0, 40, 10, 3, 12, 26}),
        Record(6, kNone, 3, "80933456789", "0445553311", 312, {35, 5, 14, 3, 12, 26}),
        Record(2, 12, kNone, "", "80973456789", 1260, {10, 30, 11, 4, 12, 26}),
    };
    std::vector<Bytes> second{
        Record(7, kNone, 4, "80504567890", "102", 96, {5, 55, 8, 5, 12, 26}),
        Record(3, 10, kNone, "0443334455", "80660123456", 600, {20, 20, 16, 5, 12, 26}),
        Record(4, 123456, kNone, "0441112233", "80991112233", 75, {1, 3, 2, 31, 4, 26}),
        Record(5, 6, 12, "8883", "80636789012", 3725, {59, 59, 23, 29, 2, 25}),
        Record(11, 5, kNone, "0442001122", "80675678901", 0, {3, 2, 24, 0, 13, 26}),
    };
    std::vector<Bytes> third{
        Record(8, 7, kNone, "1234567890123456789", "80957890123", 65535, {0, 0, 0, 1, 1, 0xFF}),
        Record(9, kNone, 11, "80442345678", "0442345678", 30, {61, 61, 12, 6, 12, 26}),
        Record(10, 9, kNone, "0800500500", "80679012345", 12, {15, 30, 9, 6, 12, 26}),
        Record(200, 0x00C0FFEE, 8, "", "", 1, {0, 15, 18, 7, 12, 26}),
    };
    return {first, second, third, {}};
}

}  // namespace tulvo::sim
