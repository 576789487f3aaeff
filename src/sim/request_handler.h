#pragma once

#include "sim/gateway_state.h"
#include "sim/request.h"

namespace tulvo::sim {

// Status values of the replies.
inline constexpr std::uint8_t kStatusDone = 0;
inline constexpr std::uint8_t kStatusRefused = 1;
inline constexpr std::uint8_t kStatusEmpty = 2;

// Answers one well-formed request from the stored state, like the gateway's
// firmware: reads of empty entries say "empty", bad indexes and bad sizes are
// refused, writes are kept.
class RequestHandler {
  public:
    explicit RequestHandler(GatewayState& state) : state_(state) {}

    Reply Handle(const Request& request);

  private:
    Reply ReadRecord(RecordFamily family, int index);
    Reply WriteRecord(RecordFamily family, int index, const Request& request);
    Reply ReadBlock(int index);
    Reply WriteBlock(int index, const Request& request);
    Reply ReadLogHeader();
    Reply ReadLogRecord(int index);
    Reply EraseLogBlock();
    Reply WriteFirmwareBlock(const Request& request);
    Reply EndFirmwareUpdate(const Request& request);
    Reply WriteClock(const Request& request);

    GatewayState& state_;
};

}  // namespace tulvo::sim
