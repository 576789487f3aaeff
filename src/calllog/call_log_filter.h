#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "calllog/call_log_row.h"

namespace tulvo {

// How the number condition compares a number with the pattern.
enum class PatternMode : std::uint8_t {
    None = 0,
    EndsWith = 1,
    StartsWith = 2,
    Contains = 3,
    Equals = 4
};

struct NumberPattern {
    std::string text;  // the pattern without its '*'s
    PatternMode mode = PatternMode::None;
};

// What "Применить" makes of the number field: "", "*" and "**" are no
// pattern; a leading '*' means "ends with", a trailing one "starts with",
// both "contains", none "equals".
NumberPattern ParseNumberPattern(std::string_view typed);

// The number condition alone.
bool NumberMatches(std::string_view number, const NumberPattern& pattern);

// What the number field does with one typed character ('\b' for backspace).
enum class PatternKey { Accept, Drop, ClearField };
// field is the text before the key; patternOpen is updated as the key is taken.
PatternKey TypePatternKey(std::string_view field, bool& patternOpen, char c);

// The filter panel as a value: each condition with its switch. Item indexes
// are those of the panel's lists; -1 is no selection.
struct CallLogFilter {
    // Subscriber items 0 to 2 of both side lists.
    static constexpr int kEmptyItem = 0;
    static constexpr int kUnknownItem = 1;
    static constexpr int kDeactivatedItem = 2;
    // Call type items: 8 is "Нет связи" (code 11), 9 "Неизвестный".
    static constexpr int kNoLinkItem = 8;
    static constexpr int kUnknownTypeItem = 9;

    bool byCallType = false;
    int callTypeItem = 0;
    bool byOut = false;
    int outItem = 0;
    std::int32_t outId = 0;  // the subscriber ID of outItem above 2
    bool byIn = false;
    int inItem = 0;
    std::int32_t inId = 0;
    bool byNumber = false;
    NumberPattern pattern;
    bool byDate = false;
    CallDate from;
    CallDate to;

    bool Passes(const CallLogRow& row) const;
};

}  // namespace tulvo
