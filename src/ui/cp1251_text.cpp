#include "ui/cp1251_text.h"

#include "model/cp1251.h"

namespace tulvo {

QString FromCp1251(std::string_view bytes) {
    return QString::fromStdString(Cp1251ToUtf8(bytes));
}

std::string ToCp1251(const QString& text) {
    return Utf8ToCp1251(text.toStdString());
}

}  // namespace tulvo
