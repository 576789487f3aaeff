#include "actions/port_session.h"

#include <string>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"

namespace tulvo {

PortSession::PortSession(const DeviceAccess& access) : access_(access) {
    const std::string device = access_.portName ? access_.portName() : std::string();
    if (device.empty()) {
        TellNoPort(access_);
        return;
    }
    open_ = access_.port.Open(device);
    if (!open_) {
        access_.op.ErrorWithDetail(texts::kCannotOpenPort, access_.port.LastOpenError());
    }
}

void PortSession::TellNoPort(const DeviceAccess& access) {
    if (access.noPortDetail.empty()) {
        access.op.Error(texts::kCannotOpenPort);
    } else {
        access.op.ErrorWithDetail(texts::kCannotOpenPort, access.noPortDetail);
    }
}

PortSession::~PortSession() {
    if (open_) {
        access_.port.Close();
    }
}

}  // namespace tulvo
