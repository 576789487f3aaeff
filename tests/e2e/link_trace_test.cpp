// The traffic trace of TPortMost against the simulated gateway: what each
// kind of failed attempt leaves in the log.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "actions/trace_log.h"
#include "link/link_timing.h"
#include "link/port_most.h"
#include "sim/fault_rule.h"
#include "sim/gateway.h"

namespace tulvo {
namespace {

class TraceAgainstGateway : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        port.SetTrace(&log);
        ASSERT_TRUE(port.Open(gateway.DevicePath())) << port.LastOpenError();
    }

    // The lines after the open, without their time stamps.
    std::vector<TraceLog::Line> Lines() {
        std::vector<TraceLog::Line> lines = log.LinesAfter(1);
        for (auto& line : lines) {
            line.text.erase(0, line.text.find(' ') + 1);
        }
        return lines;
    }

    sim::Gateway gateway;
    // Time-outs long enough that a healthy reply is never late on a busy machine.
    TPortMost port{LinkTiming::Fast(200)};
    TraceLog log;
    std::array<std::uint8_t, TPortMost::kMaxPayload> data{};
    std::uint8_t status = 0xEE;
};

TEST_F(TraceAgainstGateway, RequestsAndRepliesShowTheirNameIndexAttemptAndBytes) {
    ASSERT_TRUE(port.ReadSettingFXO(data, status));
    ASSERT_TRUE(port.ReadDevName(data, status));  // the same code, told apart by its index
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "> ReadSettingFXO idx=0 try=1/5 len=0 [05 00 14 00 00 6C]");
    EXPECT_EQ(lines[1].text.rfind("< ReadSettingFXO idx=0 st=00 try=1/5 len=20 [00 ", 0), 0u)
        << lines[1].text;
    EXPECT_EQ(lines[2].text, "> ReadDevName idx=6 try=1/5 len=0 [05 00 0A 06 00 0C]");
    for (const auto& line : lines) {
        EXPECT_FALSE(line.trouble) << line.text;
    }
}

TEST_F(TraceAgainstGateway, EachFailedAttemptIsMarkedWithItsReason) {
    struct Case {
        const char* rule;
        // The lines of the failed first attempt, each a prefix; the second
        // attempt then succeeds.
        std::vector<std::string> failed;
    };
    const Case cases[] = {
        {"silent:cmd=05:index=0:count=1",
         {"> ReadSettingFXO idx=0 try=1/5 len=0 [",
          "! ReadSettingFXO idx=0 try=1/5 FAILED no-reply"}},
        {"badheader:cmd=05:index=0:count=1",
         {"> ReadSettingFXO idx=0 try=1/5",
          "< ReadSettingFXO idx=0 st=00 try=1/5 len=20 FAILED broken-frame [", "! RESYNC [0A 0D]"}},
        {"badpayload:cmd=05:index=0:count=1",
         {"> ReadSettingFXO idx=0 try=1/5",
          "< ReadSettingFXO idx=0 st=00 try=1/5 len=20 FAILED broken-frame [", "! RESYNC [0A 0D]"}},
        {"status:cmd=05:index=0:status=0:count=1",
         {"> ReadSettingFXO idx=0 try=1/5",
          "< ReadSettingFXO idx=0 st=00 try=1/5 len=0 FAILED short-reply ["}},
    };
    for (const auto& c : cases) {
        gateway.Faults().Clear();
        gateway.Faults().Add(*sim::ParseFaultRule(c.rule));
        log.Clear();
        const std::uint64_t before = log.LastSequence();
        ASSERT_TRUE(port.ReadSettingFXO(data, status)) << c.rule;
        auto lines = log.LinesAfter(before);
        ASSERT_EQ(lines.size(), c.failed.size() + 2) << c.rule;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string text = lines[i].text.substr(lines[i].text.find(' ') + 1);
            const bool failedAttempt = i < c.failed.size();
            if (failedAttempt) {
                EXPECT_EQ(text.rfind(c.failed[i], 0), 0u) << c.rule << ": " << text;
            }
            // The request of the failed attempt is no trouble in itself.
            EXPECT_EQ(lines[i].trouble, failedAttempt && i > 0) << c.rule << ": " << text;
        }
        EXPECT_NE(lines.back().text.find("< ReadSettingFXO idx=0 st=00 try=2/5 len=20 ["),
                  std::string::npos)
            << c.rule;
    }
}

}  // namespace
}  // namespace tulvo
