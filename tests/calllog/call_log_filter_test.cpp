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

TEST(CallLogFilter, CallTypeItemsKeepTheirCodes) {
    const struct {
        int item;
        std::vector<int> kept;
    } cases[] = {
        {0, {0}},
        {7, {7}},
        {8, {11}},                   // "Нет связи"
        {9, {9, 12, 13, 200, 255}},  // "Неизвестный": not 8 nor 10
        {-1, {}},
    };
    for (const auto& c : cases) {
        CallLogFilter filter;
        filter.byCallType = true;
        filter.callTypeItem = c.item;
        std::vector<int> kept;
        for (int code = 0; code <= 255; ++code) {
            if (filter.Passes(RowWith(code, "", 0, ""))) {
                kept.push_back(code);
            }
        }
        if (c.item == 9) {
            EXPECT_EQ(kept.size(), 245U);
            EXPECT_EQ(kept.front(), 9);
            EXPECT_EQ(kept[1], 12);
        } else {
            EXPECT_EQ(kept, c.kept) << "item " << c.item;
        }
    }
}

TEST(CallLogFilter, SubscriberItemsSelectTheirTexts) {
    const struct {
        int item;
        const char* text;
        bool kept;
    } cases[] = {
        {0, "", true},
        {0, "Петров", false},
        {1, "Неизвестный", true},
        {1, "Петров", false},
        {2, "дэактивирован 17", true},
        {2, "Петров откл.", true},
        {2, "дэактивирован", true},
        {2, "дэактивированный", false},
        {2, "Петров", false},
        {3, "Петров", true},  // by ID 123456
        {4, "Петров", false},
        {-1, "Петров", true},  // text typed into the list: keeps everything
    };
    for (const auto& c : cases) {
        CallLogFilter filter;
        filter.byOut = true;
        filter.outItem = c.item;
        filter.outId = c.item == 3 ? 123456 : 654321;
        EXPECT_EQ(filter.Passes(RowWith(0, c.text, 123456, "")), c.kept) << c.item << " " << c.text;
    }
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
        filter.byNumber = true;
        filter.pattern = ParseNumberPattern(c.typed);
        EXPECT_EQ(filter.Passes(RowWith(0, "", 0, c.number)), c.kept)
            << c.typed << " on " << c.number;
    }
    EXPECT_EQ(ParseNumberPattern("**").mode, PatternMode::None);
    EXPECT_EQ(ParseNumberPattern("").mode, PatternMode::None);
    EXPECT_EQ(ParseNumberPattern("*3*").text, "3");
}

TEST(CallLogFilter, DateRangeIncludesBothDays) {
    CallLogFilter filter;
    filter.byDate = true;
    filter.from = {2026, 12, 1};
    filter.to = {2026, 12, 8};
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
