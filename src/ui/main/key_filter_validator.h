#pragma once

#include <QValidator>
class QLineEdit;

namespace tulvo {

// The numeric key filter shared by the main window and the dialogs: digits,
// Backspace (8), Enter (13) and Esc (27) pass.
bool TestKey(QChar key);
// The phone box also takes "+", "/", "\" and an upper-case "P".
bool TestPhoneKey(QChar key);

// Refuses a change that brings in a character the filter does not pass, or
// that makes the text longer than maxLength (0: no limit). It judges the
// change against the text last accepted, so pasted text is held to the same
// rule as typed keys, while a value set by the program (read from the
// gateway, possibly longer or with other characters) is shown whole and can
// still be shortened or edited.
class KeyFilterValidator : public QValidator {
    Q_OBJECT
  public:
    using KeyTest = bool (*)(QChar);

    // Installs itself on edit.
    KeyFilterValidator(KeyTest test, int maxLength, QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

    // Shows a value set by the program: it is taken as accepted before it is
    // set, so the box starts from it even when it breaks the typing rules.
    static void SetText(QLineEdit* edit, const QString& text);

  private:
    int Refused(const QString& text) const;

    KeyTest test_;
    int maxLength_;
    QString accepted_;
};

}  // namespace tulvo
