#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "actions/device_access.h"
#include "link/port_most.h"
#include "sim/gateway.h"
#include "support/recording_operator.h"

namespace tulvo::test {

// A simulated gateway on a pseudo-terminal, a protocol object with short
// timings, a recording operator and the DeviceAccess the windows take.
class SyncGatewayFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    DeviceAccess Access();
    // Access whose port choice is the given device (empty: no usable port).
    DeviceAccess AccessTo(std::string device);

    // Payloads of the requests with this command (and index, unless -1).
    std::vector<std::vector<std::uint8_t>> Payloads(std::uint8_t command, int index = -1);
    void Silence(int command);

    sim::Gateway gateway;
    TPortMost port{LinkTiming::Fast()};
    RecordingOperator op;
    QTemporaryDir temp;
    int portNameCalls = 0;
};

}  // namespace tulvo::test
