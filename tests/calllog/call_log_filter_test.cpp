#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calllog/call_log_filter.h"
#include "model/cp1251.h"

namespace tulvo {
namespace {

using F = CallLogField;

CallLogRow RowWith(int callType, const char* out, std::uint32_t outId, const char* tel,
                   CallDate date = {2026, 12, 8}) {
    CallLogRow row;
    row.SetInt(F::CallType, callType);
    row.SetTextUtf8(F::IdOutStr, out);
    row.SetInt(F::IdCodOutH, static_cast<std::int32_t>(outId >> 16));
    row.SetInt(F::IdCodOutL, static_cast<std::int32_t>(outId & 0xFFFF));
    row.SetTextUtf8(F::TelNum, tel);
    row.SetDate(date);
    return row;
}

TEST(CallLogFilter, CallTypeConditionsKeepTheirCodes) {
    using Kind = CallTypeCondition::Kind;
    std::vector<int> unknown{9};
    for (int code = 12; code <= 255; ++code) {
        unknown.push_back(code);
    }
    const struct {
        CallTypeCondition condition;
        std::vector<int> kept;
    } cases[] = {
        {{Kind::Code, 0}, {0}},        {{Kind::Code, 7}, {7}},
        {{Kind::Code, 11}, {11}},      {{Kind::NoLink, 0}, {11}},  // "Нет связи"
        {{Kind::Unknown, 0}, unknown},  // "Неизвестный": not 8 nor 10
        {{Kind::Nothing, 0}, {}},
    };
    for (const auto& c : cases) {
        CallLogFilter filter;
        filter.callType = c.condition;
        std::vector<int> kept;
        for (int code = 0; code <= 255; ++code) {
            if (filter.Passes(RowWith(code, "", 0, ""))) {
                kept.push_back(code);
            }
        }
        EXPECT_EQ(kept, c.kept) << static_cast<int>(c.condition.kind) << " " << c.condition.code;
    }
    CallLogFilter filter;
    filter.callType = CallTypeCondition{Kind::Unknown, 0};
    EXPECT_FALSE(filter.Passes(CallLogRow{})) << "a row without a call type";
}

TEST(CallLogFilter, SubscriberConditionsSelectTheirTexts) {
    using Kind = SubscriberCondition::Kind;
    const struct {
        Kind kind;
        const char* text;
        bool kept;
    } cases[] = {
        {Kind::Empty, "", true},
        {Kind::Empty, "Петров", false},
        {Kind::Unknown, "Неизвестный", true},
        {Kind::Unknown, "Петров", false},
        {Kind::Deactivated, "дэактивирован 17", true},
        {Kind::Deactivated, "Петров откл.", true},
        {Kind::Deactivated, "дэактивирован", true},
        {Kind::Deactivated, "дэактивированный", false},
        {Kind::Deactivated, "Петров", false},
        {Kind::Id, "Петров", true},  // ID 123456: IdCodOutH 1, IdCodOutL 57920
        {Kind::Any, "Петров", true},
        {Kind::Any, "", true},
    };
    for (const auto& c : cases) {
        for (const bool calling : {true, false}) {
            CallLogFilter filter;
            (calling ? filter.calling : filter.called) = SubscriberCondition{c.kind, 123456};
            CallLogRow row = RowWith(0, "", 0, "");
            row.SetTextUtf8(calling ? F::IdOutStr : F::IdInStr, c.text);
            row.SetInt(calling ? F::IdCodOutH : F::IdCodInH, 1);
            row.SetInt(calling ? F::IdCodOutL : F::IdCodInL, 57920);
            EXPECT_EQ(filter.Passes(row), c.kept)
                << static_cast<int>(c.kind) << " " << c.text << (calling ? " calling" : " called");
        }
    }
    CallLogFilter other;
    other.calling = SubscriberCondition{Kind::Id, 654321};
    EXPECT_FALSE(other.Passes(RowWith(0, "Петров", 123456, "")));
}

TEST(CallLogFilter, NumberPatterns) {
    const struct {
        const char* typed;
        const char* number;
        bool kept;
    } cases[] = {
        {"*45", "12345", true}, {"*45", "4545", false},   {"12*", "12345", true},
        {"12*", "312", false},  {"*3*", "12345", true},   {"*3*", "3", true},
        {"*3*", "1245", false}, {"12345", "12345", true}, {"12345", "123456", false},
        {"12345", "", false},   {"+7*", "+7495", true},   {"*", "", false},
        {"*", "1", true},
    };
    for (const auto& c : cases) {
        CallLogFilter filter;
        filter.number = ParseNumberPattern(c.typed);
        EXPECT_EQ(filter.Passes(RowWith(0, "", 0, c.number)), c.kept)
            << c.typed << " on " << c.number;
    }
    EXPECT_EQ(ParseNumberPattern("**").mode, PatternMode::None);
    EXPECT_EQ(ParseNumberPattern("").mode, PatternMode::None);
    EXPECT_EQ(ParseNumberPattern("*3*").text, "3");
}

TEST(CallLogFilter, DateRangeIncludesBothDays) {
    CallLogFilter filter;
    filter.dates = DateRange{{2026, 12, 1}, {2026, 12, 8}};
    EXPECT_FALSE(filter.Passes(RowWith(0, "", 0, "", {2026, 11, 30})));
    EXPECT_TRUE(filter.Passes(RowWith(0, "", 0, "", {2026, 12, 1})));
    EXPECT_TRUE(filter.Passes(RowWith(0, "", 0, "", {2026, 12, 8})));
    EXPECT_FALSE(filter.Passes(RowWith(0, "", 0, "", {2026, 12, 9})));
    EXPECT_FALSE(filter.Passes(CallLogRow{}));
}

// Types keys one by one into an empty field, as the number field does.
std::string Type(const std::string& keys) {
    std::string field;
    bool open = false;
    for (const char c : keys) {
        switch (TypePatternKey(field, open, c)) {
            case PatternKey::Accept:
                if (c == '\b') {
                    if (!field.empty()) {
                        field.pop_back();
                    }
                } else {
                    field += c;
                }
                break;
            case PatternKey::ClearField:
                field.clear();
                break;
            case PatternKey::Drop:
                break;
        }
    }
    return field;
}

TEST(CallLogFilter, NumberFieldTypingRule) {
    const struct {
        const char* keys;
        const char* field;
    } cases[] = {
        {"+123", "+123"}, {"1+2", "12"},    {"*45", "*45"}, {"12*5", "12*"},
        {"12*\b", ""},    {"12*\b7", "7"},  {"a1b", "1"},   {"12\b3", "13"},
        {"*4*5", "*4*"},  {"9:;?", "9:;?"}, {"1@", "1"},    {"**", "**"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Type(c.keys), c.field) << c.keys;
    }
}

}  // namespace
}  // namespace tulvo
