#include "cli/stderr_operator.h"

namespace tulvo::cli {

void StderrOperator::Line(const std::string& text) {
    std::fputs(text.c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

void StderrOperator::Message(const std::string& text) {
    Line(text);
}

void StderrOperator::Error(const std::string& text) {
    Line(text);
}

void StderrOperator::ErrorWithDetail(const std::string& text, const std::string& detail) {
    Line(text);
    if (!detail.empty()) {
        Line(detail);
    }
}

void StderrOperator::MessageWithDetail(const std::string& text, const std::string& detail) {
    ErrorWithDetail(text, detail);
}

bool StderrOperator::AskYesNo(const std::string& text) {
    Line(text + (yes_ ? " -> yes" : " -> no (--yes to confirm)"));
    return yes_;
}

Operator::Choice StderrOperator::AskAbortIgnoreCancel(const std::string& text) {
    const char* names[] = {"abort", "ignore", "cancel"};
    Line(text + " -> " + names[static_cast<int>(choice_)]);
    return choice_;
}

}  // namespace tulvo::cli
