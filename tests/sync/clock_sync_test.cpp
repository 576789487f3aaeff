#include "sync/clock_sync.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/port_most.h"
#include "sim/gateway.h"
#include "support/recording_operator.h"

namespace tulvo {
namespace {

using sim::FaultRule;
using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

// 1 March 2024, 13:05:09, a Friday.
std::tm FixedTime() {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 1;
    t.tm_hour = 13;
    t.tm_min = 5;
    t.tm_sec = 9;
    t.tm_wday = 5;
    return t;
}

class ClockSyncTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        ASSERT_TRUE(port.Open(gateway.DevicePath()));
    }

    void FailClockWrites() {
        gateway.Faults().Add({.kind = FaultRule::Kind::Status, .command = 0x02, .status = 1});
    }

    sim::Gateway gateway;
    TPortMost port{LinkTiming::Fast(50)};
    test::RecordingOperator op;
    ClockSync clock{port, op, FixedTime};
};

TEST_F(ClockSyncTest, SendsTheLocalTimeAsAClockSetPayload) {
    EXPECT_TRUE(clock.AfterWrite());
    EXPECT_EQ(op.Texts(), Strings{"Синхронизация завершена"});
    const Bytes sent = gateway.State().Clock();
    ASSERT_EQ(sent.size(), 10u);
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 9),
              (Bytes{0x09, 0x05, 0x0D, 0x01, 0x03, 0x18, 0x06, 0x3D, 0x00}));
}

TEST_F(ClockSyncTest, AfterWriteFailureIsToldBeforeTheClosingMessage) {
    FailClockWrites();
    EXPECT_FALSE(clock.AfterWrite());
    EXPECT_EQ(op.Texts(),
              (Strings{"Ошибка синхронизации времени в устройстве!", "Синхронизация завершена"}));
}

TEST_F(ClockSyncTest, SettingTheClockAloneReportsEitherOutcome) {
    EXPECT_TRUE(clock.SetClock());
    FailClockWrites();
    EXPECT_FALSE(clock.SetClock());
    gateway.Faults().Clear();
    gateway.Faults().Add({.kind = FaultRule::Kind::Silence, .command = 0x02});
    EXPECT_FALSE(clock.SetClock());
    EXPECT_EQ(op.Texts(), (Strings{"Синхронизация времени прошла успешно!",
                                   "Ошибка синхронизации времени в устройстве!",
                                   "Ошибка синхронизации времени в устройстве!"}));
    EXPECT_EQ(gateway.Log().CountOf(0x02), 1u + 1u + 5u);
}

}  // namespace
}  // namespace tulvo
