#pragma once

#include <deque>
#include <string>
#include <vector>

#include "model/operator.h"

namespace tulvo::test {

// Records every text shown and answers questions from a script
// (default answers when the script runs out).
class RecordingOperator : public Operator {
  public:
    struct Entry {
        enum class Kind { Message, Error, YesNo, AbortIgnoreCancel, YesNoCancel } kind;
        std::string text;
        std::string detail;
    };

    void Message(const std::string& text) override;
    void Error(const std::string& text) override;
    void ErrorWithDetail(const std::string& text, const std::string& detail) override;
    void MessageWithDetail(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& text) override;
    Choice AskAbortIgnoreCancel(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;

    std::vector<std::string> Texts() const;

    std::vector<Entry> entries;
    std::deque<bool> yesNoAnswers;
    std::deque<Choice> abortIgnoreCancelAnswers;
    std::deque<Answer> yesNoCancelAnswers;
    bool defaultYesNo = true;
    Choice defaultChoice = Choice::Abort;
    Answer defaultAnswer = Answer::Yes;
};

}  // namespace tulvo::test
