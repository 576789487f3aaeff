#pragma once

#include <cstdint>
#include <optional>
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

// Which calls the call type condition keeps.
struct CallTypeCondition {
    enum class Kind : std::uint8_t {
        Code,     // CallType equals code
        NoLink,   // "Нет связи": code 11
        Unknown,  // "Неизвестный": code 9, and 12 and above (not 8 nor 10)
        Nothing,  // no call type chosen: no call
    };
    Kind kind = Kind::Code;
    int code = 0;
};

// Which calls a side's condition keeps, by the calling or called
// subscriber's text or ID.
struct SubscriberCondition {
    enum class Kind : std::uint8_t {
        Any,          // nothing chosen: every call
        Empty,        // no subscriber text
        Unknown,      // "Неизвестный"
        Deactivated,  // "дэактивирован <slot>", "<name> откл." or the bare word
        Id,           // the subscriber with this ID
    };
    Kind kind = Kind::Any;
    std::int32_t id = 0;
};

// Calls dated on from, on to or between them.
struct DateRange {
    CallDate from;
    CallDate to;
};

// The conditions of a filter; one that is not set keeps every call.
struct CallLogFilter {
    std::optional<CallTypeCondition> callType;
    std::optional<SubscriberCondition> calling;
    std::optional<SubscriberCondition> called;
    std::optional<NumberPattern> number;
    std::optional<DateRange> dates;

    bool Passes(const CallLogRow& row) const;
};

}  // namespace tulvo
