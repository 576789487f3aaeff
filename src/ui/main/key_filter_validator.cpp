#include "main/key_filter_validator.h"

namespace tulvo {

bool TestKey(QChar key) {
    const char16_t c = key.unicode();
    return (c >= u'0' && c <= u'9') || c == 8 || c == 13 || c == 27;
}

bool TestPhoneKey(QChar key) {
    const char16_t c = key.unicode();
    return TestKey(key) || c == u'+' || c == u'/' || c == u'\\' || c == u'P';
}

KeyFilterValidator::KeyFilterValidator(KeyTest test, int maxLength, QObject* parent)
    : QValidator(parent), test_(test), maxLength_(maxLength) {}

QValidator::State KeyFilterValidator::validate(QString& input, int& pos) const {
    (void)pos;
    if (maxLength_ > 0 && input.size() > maxLength_) {
        return Invalid;
    }
    for (QChar c : input) {
        // Control characters never reach the text; anything printable must
        // pass the filter.
        if (!test_(c) || c.unicode() < 32) {
            return Invalid;
        }
    }
    return Acceptable;
}

}  // namespace tulvo
