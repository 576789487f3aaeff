#pragma once

#include <cstdio>

#include "model/operator.h"

namespace tulvo::cli {

// The operator of the command line: every text goes to standard error word
// for word, one per line; questions are answered from the command's flags
// and the answer is printed after the question.
class StderrOperator : public Operator {
  public:
    // yes: the answer to yes/no questions (--yes); choice: the answer to
    // abort/ignore/cancel boxes (--on-error).
    explicit StderrOperator(bool yes = false, Choice choice = Choice::Abort,
                            std::FILE* out = stderr)
        : yes_(yes), choice_(choice), out_(out) {}

    void SetAnswers(bool yes, Choice choice) {
        yes_ = yes;
        choice_ = choice;
    }

    void Message(const std::string& text) override;
    void Error(const std::string& text) override;
    void ErrorWithDetail(const std::string& text, const std::string& detail) override;
    void MessageWithDetail(const std::string& text, const std::string& detail) override;
    bool AskYesNo(const std::string& text) override;
    Choice AskAbortIgnoreCancel(const std::string& text) override;

  private:
    void Line(const std::string& text);

    bool yes_;
    Choice choice_;
    std::FILE* out_;
};

}  // namespace tulvo::cli
