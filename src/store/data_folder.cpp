#include "store/data_folder.h"

#include <cstdlib>

namespace tulvo {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

}  // namespace

std::string DefaultDataFolder() {
    const std::string home = EnvOr("HOME", ".");
    return EnvOr("XDG_DATA_HOME", home + "/.local/share") + "/ZARQ/MTulvo";
}

}  // namespace tulvo
