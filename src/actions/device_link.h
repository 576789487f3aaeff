#pragma once

#include <functional>
#include <memory>
#include <string>

#include "actions/device_access.h"
#include "actions/link_speed.h"

namespace tulvo {

class LinkTrace;
class Operator;
class TPortMost;

// The one protocol object of a front end, owned here and lent to every
// action through DeviceAccess. The port is opened per action; Close() (and
// the destructor) closes one an action left open.
class DeviceLink {
  public:
    // With a trace, every request, reply and trouble on the link is
    // reported to it (see SetTrace).
    explicit DeviceLink(LinkSpeed speed = {}, LinkTrace* trace = nullptr);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // What an action needs: this protocol object, the operator, and where to
    // ask for the device to open (empty: no usable port, for the reason in
    // noPortDetail).
    DeviceAccess Access(Operator& op, std::function<std::string()> portName,
                        std::string noPortDetail = {});
    TPortMost& Port() { return *port_; }
    void Close();
    // Where the link reports its traffic from now on (null: nowhere). The
    // trace must outlive this link or be replaced first.
    void SetTrace(LinkTrace* trace);

  private:
    std::unique_ptr<TPortMost> port_;
};

}  // namespace tulvo
