#include "sim/fault_rule.h"

#include <gtest/gtest.h>

#include "sim/fault_set.h"

namespace tulvo::sim {
namespace {

using Kind = FaultRule::Kind;

TEST(SimFaultRule, ParsesTheCommandLineForms) {
    struct Case {
        const char* text;
        Kind kind;
        int command, from, to, count;
    };
    const Case cases[] = {
        {"silent:cmd=07:from=150:to=300", Kind::Silence, 0x07, 150, 300, -1},
        {"badheader:count=1", Kind::BadHeader, -1, 0, 0xFFFF, 1},
        {"badpayload:cmd=0B:index=4", Kind::BadPayload, 0x0B, 4, 4, -1},
        {"status:cmd=0x05:index=2:status=3", Kind::Status, 0x05, 2, 2, -1},
        {"hangup:cmd=16:from=3400", Kind::HangUp, 0x16, 3400, 0xFFFF, -1},
        {"xor63:cmd=07:index=4:count=1", Kind::Undetectable, 0x07, 4, 4, 1},
    };
    for (const auto& c : cases) {
        auto rule = ParseFaultRule(c.text);
        ASSERT_TRUE(rule) << c.text;
        EXPECT_EQ(rule->kind, c.kind) << c.text;
        EXPECT_EQ(rule->command, c.command) << c.text;
        EXPECT_EQ(rule->fromIndex, c.from) << c.text;
        EXPECT_EQ(rule->toIndex, c.to) << c.text;
        EXPECT_EQ(rule->count, c.count) << c.text;
    }
    EXPECT_EQ(ParseFaultRule("delay:ms=250")->delay, std::chrono::milliseconds(250));
    EXPECT_EQ(ParseFaultRule("status:status=9")->status, 9);
    EXPECT_DOUBLE_EQ(ParseFaultRule("noise:rate=0.25")->rate, 0.25);
    EXPECT_EQ(ParseFaultRule("xor63:byte=12")->byte, 12);
}

TEST(SimFaultRule, RejectsMalformedRules) {
    for (const char* text : {"", "loud", "silent:cmd", "silent:cmd=1FF", "silent:from=5:to=4",
                             "noise:rate=1.5", "delay:ms=-3", "silent:colour=red",
                             "status:status=256", "silent:from=x", "xor63:byte=530"}) {
        std::string error;
        EXPECT_FALSE(ParseFaultRule(text, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(SimFaultSet, CombinesMatchingRulesAndUsesUpCounts) {
    FaultSet faults;
    faults.Add(*ParseFaultRule("silent:cmd=07:from=150:to=299"));
    faults.Add(*ParseFaultRule("badheader:count=2"));
    faults.Add(*ParseFaultRule("delay:cmd=05:ms=30"));
    faults.Add(*ParseFaultRule("delay:cmd=05:ms=20"));

    EXPECT_FALSE(faults.Plan(0x07, 149).silent);
    EXPECT_TRUE(faults.Plan(0x07, 150).silent);
    EXPECT_FALSE(faults.Plan(0x07, 300).silent);
    EXPECT_FALSE(faults.Plan(0x07, 300).badHeader) << "count of 2 used up by the first two plans";
    EXPECT_EQ(faults.Plan(0x05, 0).delay, std::chrono::milliseconds(50));
    EXPECT_FALSE(faults.Plan(0x0B, 150).silent);
}

TEST(SimFaultSet, NoiseRepeatsForTheSameSeedAndSparesAtRateZero) {
    const std::vector<std::uint8_t> clean(200, 0x55);
    auto damaged = [&](std::uint32_t seed, double rate) {
        FaultSet faults(seed);
        auto wire = clean;
        faults.AddNoise(wire, rate);
        return wire;
    };
    EXPECT_EQ(damaged(7, 0.0), clean);
    EXPECT_NE(damaged(7, 0.2), clean);
    EXPECT_EQ(damaged(7, 0.2), damaged(7, 0.2));
    EXPECT_NE(damaged(7, 0.2), damaged(8, 0.2));
    // At rate 1 every original byte is flipped or preceded by an inserted one.
    const auto all = damaged(3, 1.0);
    EXPECT_GE(all.size(), clean.size());
}

}  // namespace
}  // namespace tulvo::sim
