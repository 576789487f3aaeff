#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace tulvo {

// Texts of the core are Windows-1251 bytes; widgets show and take QString.
QString FromCp1251(std::string_view bytes);
std::string ToCp1251(const QString& text);

}  // namespace tulvo
