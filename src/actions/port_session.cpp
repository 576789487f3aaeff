#include "actions/port_session.h"

#include <string>

#include "link/port_most.h"
#include "model/operator.h"
#include "model/operator_texts.h"

namespace tulvo {

PortSession::PortSession(const DeviceAccess& access) : access_(access) {
    const std::string device = access_.portName ? access_.portName() : std::string();
    if (device.empty()) {
        if (access_.noPortDetail.empty()) {
            access_.op.Error(texts::kCannotOpenPort);
        } else {
            access_.op.ErrorWithDetail(texts::kCannotOpenPort, access_.noPortDetail);
        }
        return;
    }
    open_ = access_.port.Open(device);
    if (!open_) {
        access_.op.ErrorWithDetail(texts::kCannotOpenPort, access_.port.LastOpenError());
    }
}

PortSession::~PortSession() {
    if (open_) {
        access_.port.Close();
    }
}

}  // namespace tulvo
