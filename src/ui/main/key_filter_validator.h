#pragma once

#include <QValidator>
#include <functional>

namespace tulvo {

// The numeric key filter shared by the main window and the dialogs: digits,
// Backspace (8), Enter (13) and Esc (27) pass.
bool TestKey(QChar key);
// The phone box also takes "+", "/", "\" and an upper-case "P".
bool TestPhoneKey(QChar key);

// Refuses any text holding a character the filter does not pass, or longer
// than maxLength (0: no limit). Because it judges the whole new text, pasted
// text is held to the same rule as typed keys. Text set by the program is
// not checked, so values read from the gateway are shown as they are.
class KeyFilterValidator : public QValidator {
    Q_OBJECT
  public:
    using KeyTest = bool (*)(QChar);

    KeyFilterValidator(KeyTest test, int maxLength, QObject* parent = nullptr);

    State validate(QString& input, int& pos) const override;

  private:
    KeyTest test_;
    int maxLength_;
};

}  // namespace tulvo
