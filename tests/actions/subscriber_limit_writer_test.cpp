#include "actions/subscriber_limit_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "link/port_most.h"
#include "model/t_data.h"
#include "sim/gateway.h"
#include "store/temp_dir.h"
#include "support/recording_operator.h"

namespace tulvo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Request = SubscriberLimitWriter::Request;

struct LimitCase {
    const char* name;
    Request request;
    std::optional<sim::FaultRule> fault;
    bool written;
    std::vector<std::string> messages;
    Bytes sentHead;  // flags and seconds of the record the gateway holds; empty: nothing sent
};

class SubscriberLimitWriterTest : public ::testing::TestWithParam<LimitCase> {};

// One subscriber's total limit: the record the gateway gets, the checks that
// stop before anything is sent, and a refusal that leaves the image alone.
TEST_P(SubscriberLimitWriterTest, GatewayGetsTheRecordOrNothingAndTheImageFollowsIt) {
    const LimitCase& c = GetParam();
    sim::Gateway gateway;
    if (c.fault) {
        gateway.Faults().Add(*c.fault);
    }
    ASSERT_TRUE(gateway.Start()) << gateway.Error();
    TData image;
    image.AbLimit(1).SetLimitSeconds(61);
    const auto before = image.AbLimit(1).bytes();
    const Bytes imageBefore(before.begin(), before.end());
    test::RecordingOperator op;
    TPortMost port(LinkTiming::Fast(20));

    SubscriberLimitWriter writer(image, {port, op, [&] { return gateway.DevicePath(); }});
    EXPECT_EQ(writer.Write(1, c.request), c.written);

    EXPECT_EQ(op.Texts(), c.messages);
    const auto held = gateway.State().Get(sim::RecordFamily::AbLimit, 0);
    const auto now = image.AbLimit(1).bytes();
    const Bytes imageNow(now.begin(), now.end());
    if (c.sentHead.empty()) {
        EXPECT_EQ(gateway.Log().Count(), c.fault ? 1U : 0U);  // a refusal is not repeated
        EXPECT_EQ(imageNow, imageBefore);
        return;
    }
    ASSERT_TRUE(held.has_value());
    EXPECT_EQ(Bytes(held->begin(), held->begin() + 5), c.sentHead);
    EXPECT_EQ(imageNow, Bytes(held->begin(), held->end()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubscriberLimitWriterTest,
    ::testing::Values(
        // Limit on, incoming calls; 900 s little-endian.
        LimitCase{"Accepted", {true, true, false, "15"}, {}, true, {}, {0x02, 0x84, 0x03, 0, 0}},
        LimitCase{"LimitOffSendsNoTimeWhateverIsTyped",
                  {false, false, false, "abc"},
                  {},
                  true,
                  {},
                  {0x01, 0, 0, 0, 0}},
        LimitCase{
            "Refused",
            {true, true, true, "10"},
            sim::FaultRule{.kind = sim::FaultRule::Kind::Status, .command = 0x15, .status = 1},
            false,
            {"Ошибка при чтении данных!"},
            {}},
        LimitCase{"NoMinutes", {true, true, false, ""}, {}, false, {"Введите лимит!"}, {}},
        LimitCase{"NoCallType",
                  {true, false, false, "5"},
                  {},
                  false,
                  {"Выберете тип звонков на которые будет распространяться лимит(Исх, Вход, "
                   "или оба)"},
                  {}}),
    [](const ::testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

TEST(SubscriberLimitWriter, PortThatDoesNotOpenGivesTheReasonAsDetail) {
    test::TempDir dir;
    const std::string notTty = dir.File("not_a_tty");
    std::ofstream(notTty) << "x";
    TData image;
    test::RecordingOperator op;
    TPortMost port(LinkTiming::Fast(20));
    SubscriberLimitWriter writer(image, {port, op, [&] { return notTty; }});
    EXPECT_FALSE(writer.Write(1, {false, false, false, ""}));
    ASSERT_EQ(op.entries.size(), 1U);
    EXPECT_EQ(op.entries[0].text, "Невозможно открыть порт!");
    EXPECT_FALSE(op.entries[0].detail.empty());
}

}  // namespace
}  // namespace tulvo
