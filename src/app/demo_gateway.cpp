#include "app/demo_gateway.h"

#include "app/demo_image.h"
#include "sim/gateway.h"

namespace tulvo {

DemoGateway::DemoGateway() : gateway_(std::make_unique<sim::Gateway>()) {}

DemoGateway::~DemoGateway() {
    gateway_->Stop();
}

bool DemoGateway::Start() {
    sim::SeedDemoPopulation(gateway_->State(), BuildDemoPopulation());
    sim::SysInfoSpec info;
    info.firmware = "V2.74.1";
    info.signal = 23;
    gateway_->State().SetSysInfo(info);
    gateway_->State().SetDevName("DEMO-01");
    return gateway_->Start();
}

std::string DemoGateway::DevicePath() const {
    return gateway_->DevicePath();
}

std::string DemoGateway::Error() const {
    return gateway_->Error();
}

}  // namespace tulvo
