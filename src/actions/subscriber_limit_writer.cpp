#include "actions/subscriber_limit_writer.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "actions/gateway_actions.h"
#include "actions/port_session.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "model/t_data.h"

namespace tulvo {

SubscriberLimitWriter::SubscriberLimitWriter(TData& image, const DeviceAccess& device)
    : image_(image), device_(device) {}

bool SubscriberLimitWriter::Build(const Request& request,
                                  std::span<std::uint8_t, AbLimitRecord::kSize> record) {
    AbLimitRecord limit(record);
    limit.Reset();
    limit.SetLimitOn(request.limitOn);
    limit.SetLimitOut(request.limitOut);
    limit.SetLimitIn(request.limitIn);
    if (!request.limitOn) {
        return true;
    }
    if (request.minutes.empty()) {
        device_.op.Message(texts::kEnterLimit);
        return false;
    }
    std::uint32_t minutes = 0;
    const char* first = request.minutes.data();
    const char* last = first + request.minutes.size();
    const auto [end, error] = std::from_chars(first, last, minutes);
    if (error != std::errc() || end != last || minutes > UINT32_MAX / 60) {
        device_.op.Message(texts::kBadValue);
        return false;
    }
    if (!request.limitOut && !request.limitIn) {
        device_.op.Message(texts::kChooseCalls);
        return false;
    }
    limit.SetLimitSeconds(minutes * 60);
    return true;
}

// The request is checked before the port is opened, so a refused entry
// sends nothing; only a write the gateway accepted reaches the image.
bool SubscriberLimitWriter::Write(int n, const Request& request) {
    if (device_.portName().empty()) {
        PortSession::TellNoPort(device_);
        return false;
    }
    std::array<std::uint8_t, AbLimitRecord::kSize> record{};
    if (!Build(request, record)) {
        return false;
    }
    const std::array<std::uint8_t, AbLimitRecord::kSize> sent = record;
    if (!GatewayActions(device_).WriteSubscriberLimit(n, record)) {
        return false;
    }
    std::copy(sent.begin(), sent.end(), image_.AbLimit(n).bytes().begin());
    return true;
}

}  // namespace tulvo
