#include "recording_operator.h"

namespace tulvo::test {

void RecordingOperator::Message(const std::string& text) {
    entries.push_back({Entry::Kind::Message, text, {}});
}

void RecordingOperator::Error(const std::string& text) {
    entries.push_back({Entry::Kind::Error, text, {}});
}

void RecordingOperator::ErrorWithDetail(const std::string& text, const std::string& detail) {
    entries.push_back({Entry::Kind::Error, text, detail});
}

void RecordingOperator::MessageWithDetail(const std::string& text, const std::string& detail) {
    entries.push_back({Entry::Kind::Message, text, detail});
}

bool RecordingOperator::AskYesNo(const std::string& text) {
    entries.push_back({Entry::Kind::YesNo, text, {}});
    if (yesNoAnswers.empty()) {
        return defaultYesNo;
    }
    bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

Operator::Choice RecordingOperator::AskAbortIgnoreCancel(const std::string& text) {
    entries.push_back({Entry::Kind::AbortIgnoreCancel, text, {}});
    if (abortIgnoreCancelAnswers.empty()) {
        return defaultChoice;
    }
    Choice answer = abortIgnoreCancelAnswers.front();
    abortIgnoreCancelAnswers.pop_front();
    return answer;
}

Operator::Answer RecordingOperator::AskYesNoCancel(const std::string& text) {
    entries.push_back({Entry::Kind::YesNoCancel, text, {}});
    if (yesNoCancelAnswers.empty()) {
        return defaultAnswer;
    }
    Answer answer = yesNoCancelAnswers.front();
    yesNoCancelAnswers.pop_front();
    return answer;
}

std::vector<std::string> RecordingOperator::Texts() const {
    std::vector<std::string> texts;
    for (const auto& e : entries) {
        texts.push_back(e.text);
    }
    return texts;
}

}  // namespace tulvo::test
