#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "calllog/call_log_row.h"

namespace tulvo {

class TData;

// One call record as the gateway keeps it (reply of ReadLogRecord): flag,
// call type, both subscribers' IDs, dialled and caller's numbers, duration and
// start time, little-endian, then 8 unused bytes and the checksum.
struct LogRecordLayout {
    static constexpr std::size_t kSize = 65;
    static constexpr std::size_t kFlag = 0;
    static constexpr std::size_t kCallType = 1;
    static constexpr std::size_t kIdCodOut = 2;
    static constexpr std::size_t kIdCodIn = 6;
    static constexpr std::size_t kTelNum = 10;
    static constexpr std::size_t kInTelNum = 29;
    static constexpr std::size_t kNumberWidth = 19;
    static constexpr std::size_t kConnectSeconds = 48;
    static constexpr std::size_t kSecond = 50;
    static constexpr std::size_t kMinute = 51;
    static constexpr std::size_t kHour = 52;
    static constexpr std::size_t kDay = 53;
    static constexpr std::size_t kMonth = 54;
    static constexpr std::size_t kYearOffset = 55;
};

// The text of a call type code ("Неизвестный" for the codes without one), UTF-8.
const char* CallTypeText(int code);

// The first slot 1..300 in use whose ID is id (active or not), or 0.
int FindSubscriberById(const TData& image, std::uint32_t id);

// IdOutStr/IdInStr for an ID, Windows-1251, at most 45 characters: the name of
// an active subscriber (or "ID:" and its ID in hex), the name and " откл." or
// "дэактивирован " and the slot of a deactivated one, else "Неизвестный".
std::string SubscriberText(const TData& image, std::uint32_t id);

// The row for one record (N not set). deviceName is Windows-1251. A day that
// its month does not have becomes the month's last day.
CallLogRow DecodeLogRecord(std::span<const std::uint8_t> record, const TData& image,
                           std::string_view deviceName);

}  // namespace tulvo
