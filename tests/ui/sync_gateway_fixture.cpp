#include "sync_gateway_fixture.h"

namespace tulvo::test {

void SyncGatewayFixture::SetUp() {
    ASSERT_TRUE(gateway.Start()) << gateway.Error();
    ASSERT_TRUE(temp.isValid());
}

void SyncGatewayFixture::TearDown() {
    port.Close();
    gateway.Stop();
}

DeviceAccess SyncGatewayFixture::Access() {
    return AccessTo(gateway.DevicePath());
}

DeviceAccess SyncGatewayFixture::AccessTo(std::string device) {
    return DeviceAccess{port, op, [this, device] {
                            ++portNameCalls;
                            return device;
                        }};
}

std::vector<std::vector<std::uint8_t>> SyncGatewayFixture::Payloads(std::uint8_t command,
                                                                    int index) {
    std::vector<std::vector<std::uint8_t>> payloads;
    for (const auto& request : gateway.Log().Entries()) {
        if (request.command == command && (index < 0 || request.index == index)) {
            payloads.push_back(request.payload);
        }
    }
    return payloads;
}

void SyncGatewayFixture::Silence(int command) {
    sim::FaultRule rule;
    rule.kind = sim::FaultRule::Kind::Silence;
    rule.command = command;
    gateway.Faults().Add(rule);
}

}  // namespace tulvo::test
