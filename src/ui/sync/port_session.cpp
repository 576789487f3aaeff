#include "sync/port_session.h"

#include <string>

#include "link/port_most.h"
#include "model/operator.h"

namespace tulvo {

PortSession::PortSession(const DeviceAccess& access) : access_(access) {
    const std::string device = access_.portName ? access_.portName() : std::string();
    if (device.empty()) {
        access_.op.Error(kCannotOpen);
        return;
    }
    open_ = access_.port.Open(device);
    if (!open_) {
        access_.op.ErrorWithDetail(kCannotOpen, access_.port.LastOpenError());
    }
}

PortSession::~PortSession() {
    if (open_) {
        access_.port.Close();
    }
}

}  // namespace tulvo
