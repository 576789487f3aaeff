#include "calllog/call_log_filter.h"

#include "model/cp1251.h"

namespace tulvo {
namespace {

// Subscriber texts in Windows-1251, as the rows hold them.
const std::string& Cp(const char* utf8, std::string& cache) {
    if (cache.empty()) {
        cache = Utf8ToCp1251(utf8);
    }
    return cache;
}

const std::string& UnknownText() {
    static std::string text;
    return Cp("Неизвестный", text);
}
const std::string& DeactivatedWord() {
    static std::string text;
    return Cp("дэактивирован", text);
}
const std::string& SwitchedOffSuffix() {
    static std::string text;
    return Cp(" откл.", text);
}

bool CallTypePasses(const CallLogRow& row, const CallTypeCondition& condition) {
    constexpr int kNoLinkCode = 11;
    constexpr int kUnknownCode = 9;
    const auto code = row.Int(CallLogField::CallType);
    switch (condition.kind) {
        case CallTypeCondition::Kind::Code:
            return code && *code == condition.code;
        case CallTypeCondition::Kind::NoLink:
            return code && *code == kNoLinkCode;
        case CallTypeCondition::Kind::Unknown:
            return code && (*code == kUnknownCode || *code > kNoLinkCode);
        case CallTypeCondition::Kind::Nothing:
            break;
    }
    return false;
}

// A deactivated subscriber's text: "дэактивирован <slot>", "<name> откл.",
// or the bare word.
bool IsDeactivatedText(std::string_view text) {
    const std::string& word = DeactivatedWord();
    const std::string& suffix = SwitchedOffSuffix();
    if (text == word) {
        return true;
    }
    if (text.size() > word.size() && text.substr(0, word.size()) == word &&
        text[word.size()] == ' ') {
        return true;
    }
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool SidePasses(const CallLogRow& row, const SubscriberCondition& condition, CallLogField textField,
                CallLogField high, CallLogField low) {
    const std::string_view text = row.Text(textField).value_or(std::string_view());
    switch (condition.kind) {
        case SubscriberCondition::Kind::Any:
            return true;
        case SubscriberCondition::Kind::Empty:
            return text.empty();
        case SubscriberCondition::Kind::Unknown:
            return text == UnknownText();
        case SubscriberCondition::Kind::Deactivated:
            return IsDeactivatedText(text);
        case SubscriberCondition::Kind::Id:
            break;
    }
    const std::int64_t value =
        static_cast<std::int64_t>(row.Int(high).value_or(0)) * 65536 + row.Int(low).value_or(0);
    return value == static_cast<std::int64_t>(static_cast<std::uint32_t>(condition.id));
}

}  // namespace

NumberPattern ParseNumberPattern(std::string_view typed) {
    NumberPattern pattern{std::string(typed), PatternMode::None};
    if (typed.empty() || typed == "*" || typed == "**") {
        pattern.text.clear();
        return pattern;
    }
    pattern.mode = PatternMode::Equals;
    if (pattern.text.front() == '*') {
        pattern.text.erase(0, 1);
        pattern.mode = PatternMode::EndsWith;
    }
    if (!pattern.text.empty() && pattern.text.back() == '*') {
        pattern.text.pop_back();
        pattern.mode =
            pattern.mode == PatternMode::EndsWith ? PatternMode::Contains : PatternMode::StartsWith;
    }
    return pattern;
}

bool NumberMatches(std::string_view number, const NumberPattern& pattern) {
    const std::string& p = pattern.text;
    if (pattern.mode == PatternMode::Equals) {
        return number == p;
    }
    const std::size_t at = number.find(p);
    if (at == std::string_view::npos || at == number.size()) {
        return false;  // not there, or nothing from it to the end
    }
    const std::string_view rest = number.substr(at);
    switch (pattern.mode) {
        case PatternMode::EndsWith:
            return rest == p;  // the first occurrence ends the number
        case PatternMode::StartsWith:
            return rest == number;
        default:
            return true;
    }
}

PatternKey TypePatternKey(std::string_view field, bool& patternOpen, char c) {
    const bool digitLike = c >= '0' && c <= '?';
    if (field.empty()) {
        patternOpen = true;
        return (digitLike || c == '+' || c == '*' || c == '\b') ? PatternKey::Accept
                                                                : PatternKey::Drop;
    }
    if (!digitLike && c != '*' && c != '\b') {
        return PatternKey::Drop;
    }
    if (!patternOpen) {
        return c == '\b' ? PatternKey::ClearField : PatternKey::Drop;
    }
    if (c == '*') {
        patternOpen = false;
    }
    return PatternKey::Accept;
}

bool CallLogFilter::Passes(const CallLogRow& row) const {
    if (callType && !CallTypePasses(row, *callType)) {
        return false;
    }
    if (calling && !SidePasses(row, *calling, CallLogField::IdOutStr, CallLogField::IdCodOutH,
                               CallLogField::IdCodOutL)) {
        return false;
    }
    if (called && !SidePasses(row, *called, CallLogField::IdInStr, CallLogField::IdCodInH,
                              CallLogField::IdCodInL)) {
        return false;
    }
    if (number &&
        !NumberMatches(row.Text(CallLogField::TelNum).value_or(std::string_view()), *number)) {
        return false;
    }
    if (dates) {
        const auto date = row.Date();
        if (!date || *date < dates->from || *date > dates->to) {
            return false;
        }
    }
    return true;
}

}  // namespace tulvo
