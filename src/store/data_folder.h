#pragma once

#include <string>

namespace tulvo {

// The folder of the call-log file: $XDG_DATA_HOME/ZARQ/MTulvo, or
// ~/.local/share/ZARQ/MTulvo.
std::string DefaultDataFolder();

}  // namespace tulvo
