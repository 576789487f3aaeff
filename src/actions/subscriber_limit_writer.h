#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "actions/device_access.h"
#include "model/ab_limit_record.h"

namespace tulvo {

class TData;

// SpeedButton29: writes one subscriber's total time limit to the gateway.
// Only a write the gateway accepts (transaction done and Status 0) changes
// the image; a refused write is reported like a failed one.
class SubscriberLimitWriter {
  public:
    // What the editor's total-limit controls hold.
    struct Request {
        bool limitOn = false;   // CheckBox9
        bool limitIn = false;   // CheckBox10
        bool limitOut = false;  // CheckBox11
        std::string minutes;    // Edit6
    };

    SubscriberLimitWriter(TData& image, const DeviceAccess& device);

    // True when slot n's AbLimit now holds what the gateway accepted.
    bool Write(int n, const Request& request);

  private:
    bool Build(const Request& request, std::span<std::uint8_t, AbLimitRecord::kSize> record);

    TData& image_;
    DeviceAccess device_;
};

}  // namespace tulvo
