#include "actions/device_link.h"

#include <utility>

#include "link/port_most.h"

namespace tulvo {

DeviceLink::DeviceLink(LinkSpeed speed, LinkTrace* trace)
    : port_(std::make_unique<TPortMost>(speed.Timing())) {
    SetTrace(trace);
}

DeviceLink::~DeviceLink() {
    Close();
}

DeviceAccess DeviceLink::Access(Operator& op, std::function<std::string()> portName,
                                std::string noPortDetail) {
    return DeviceAccess{*port_, op, std::move(portName), std::move(noPortDetail)};
}

void DeviceLink::Close() {
    port_->Close();
}

void DeviceLink::SetTrace(LinkTrace* trace) {
    port_->SetTrace(trace);
}

}  // namespace tulvo
