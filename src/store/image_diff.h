#pragma once

#include <string>
#include <vector>

#include "model/t_data.h"

namespace tulvo {

// The differences between two images in the terms of the configuration file,
// one UTF-8 line each, in file order:
//   "Ab:3 ID: 0003 -> 0004"       a token whose value differs
//   "BL:7: только в шлюзе"         a line that only `to` has
//   "Ab:5: только в настройках"    a line that only `from` has
// followed by the SMS texts, which the file does not carry
// ("SMS:2: "a" -> "b""). Empty when they agree.
std::vector<std::string> DiffImages(const TData& from, const TData& to);

}  // namespace tulvo
