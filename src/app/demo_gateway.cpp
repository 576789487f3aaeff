#include "app/demo_gateway.h"

#include "actions/serial_ports.h"
#include "app/demo_image.h"
#include "sim/gateway.h"
#include "store/window_options.h"

namespace tulvo {

DemoGateway::DemoGateway(bool paced) : gateway_(std::make_unique<sim::Gateway>()), paced_(paced) {}

DemoGateway::~DemoGateway() {
    gateway_->Stop();
}

bool DemoGateway::Start() {
    sim::SeedDemoPopulation(gateway_->State(), BuildDemoPopulation());
    sim::SysInfoValues info;
    info.firmware = "V2.74.1";
    info.signal = 23;
    gateway_->State().SetSysInfo(info);
    gateway_->State().SetDevName("DEMO-01");
    if (paced_) {
        sim::Pacing pacing;
        pacing.baud = 115200;
        pacing.latency = std::chrono::milliseconds(3);
        gateway_->SetPacing(pacing);
    }
    return gateway_->Start();
}

bool DemoGateway::Offer(SerialPorts& ports, RegistryStore& store, TData& image) {
    if (!Start()) {
        return false;
    }
    ports.AddExtraPort(kPortName, DevicePath(), true);
    MainWindowOptions options = LoadMainWindowOptions(store);
    options.usbCom = true;
    options.portName = kPortName;
    SaveMainWindowOptions(store, options);
    AddDemoNames(image);
    return true;
}

std::string DemoGateway::DevicePath() const {
    return gateway_->DevicePath();
}

std::string DemoGateway::Error() const {
    return gateway_->Error();
}

}  // namespace tulvo
