#include "ui/main/key_filter_validator.h"

#include <QLineEdit>

namespace tulvo {

bool TestKey(QChar key) {
    const char16_t c = key.unicode();
    return (c >= u'0' && c <= u'9') || c == 8 || c == 13 || c == 27;
}

bool TestPhoneKey(QChar key) {
    const char16_t c = key.unicode();
    return TestKey(key) || c == u'+' || c == u'/' || c == u'\\' || c == u'P';
}

KeyFilterValidator::KeyFilterValidator(KeyTest test, int maxLength, QLineEdit* edit)
    : QValidator(edit), test_(test), maxLength_(maxLength), accepted_(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { accepted_ = text; });
    edit->setValidator(this);
}

void KeyFilterValidator::SetText(QLineEdit* edit, const QString& text) {
    if (auto* validator =
            qobject_cast<KeyFilterValidator*>(const_cast<QValidator*>(edit->validator()))) {
        validator->accepted_ = text;
    }
    edit->setText(text);
}

// Control characters never reach the text; anything printable must pass the
// filter.
int KeyFilterValidator::Refused(const QString& text) const {
    int count = 0;
    for (QChar c : text) {
        if (!test_(c) || c.unicode() < 32) {
            ++count;
        }
    }
    return count;
}

QValidator::State KeyFilterValidator::validate(QString& input, int& pos) const {
    (void)pos;
    if (Refused(input) > Refused(accepted_)) {
        return Invalid;
    }
    if (maxLength_ > 0 && input.size() > maxLength_ && input.size() > accepted_.size()) {
        return Invalid;
    }
    return Acceptable;
}

}  // namespace tulvo
