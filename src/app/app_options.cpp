#include "app/app_options.h"

#include <cstdlib>

namespace tulvo {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : fallback;
}

}  // namespace

AppOptions AppOptions::Parse(std::vector<std::string>& args) {
    AppOptions options;
    std::vector<std::string> rest;
    if (!args.empty()) {
        rest.push_back(args.front());
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                options.error = arg + " needs a value";
                return;
            }
            into = args[++i];
        };
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--measure-startup") {
            options.measureStartup = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--store") {
            value(options.storePath);
        } else if (arg.rfind("--store=", 0) == 0) {
            options.storePath = arg.substr(8);
        } else if (arg == "--data-dir") {
            value(options.dataDir);
        } else if (arg.rfind("--data-dir=", 0) == 0) {
            options.dataDir = arg.substr(11);
        } else {
            // Qt's own options (-platform, -style, ...) go on to QApplication.
            rest.push_back(arg);
        }
    }
    args = rest;
    return options;
}

const char* AppOptions::Usage() {
    return "usage: tulvo-configurator [--demo] [--store FILE] [--data-dir DIR]\n"
           "  --demo          start the built-in simulated gateway and offer it as the\n"
           "                  gateway's USB port\n"
           "  --store FILE    settings store (default ~/.config/ZARQ/MTulvo.reg)\n"
           "  --data-dir DIR  folder of the call-log file (default\n"
           "                  ~/.local/share/ZARQ/MTulvo)\n";
}

std::string AppOptions::DefaultDataDir() {
    const std::string home = EnvOr("HOME", ".");
    return EnvOr("XDG_DATA_HOME", home + "/.local/share") + "/ZARQ/MTulvo";
}

}  // namespace tulvo
