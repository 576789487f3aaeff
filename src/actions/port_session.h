#pragma once

#include "actions/device_access.h"

namespace tulvo {

// One action's use of the port: opens it on construction ("Невозможно
// открыть порт!" with the system's reason when there is no usable port or it
// does not open) and closes it when the action ends, whichever way it ends.
class PortSession {
  public:
    explicit PortSession(const DeviceAccess& access);
    ~PortSession();
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    bool IsOpen() const { return open_; }

    // "Невозможно открыть порт!" for an action that found no usable port,
    // with the reason as detail text when there is one.
    static void TellNoPort(const DeviceAccess& access);

  private:
    const DeviceAccess& access_;
    bool open_ = false;
};

}  // namespace tulvo
