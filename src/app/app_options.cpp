#include "app/app_options.h"

#include <algorithm>
#include <string_view>

#include "store/data_folder.h"

namespace tulvo {
namespace {

// Qt's own options that take a value: they and their value go on to
// QApplication. Other single-dash options go on alone.
bool QtOptionTakesValue(std::string_view arg) {
    static constexpr std::string_view kWithValue[] = {"-platform",      "-platformpluginpath",
                                                      "-platformtheme", "-plugin",
                                                      "-style",         "-stylesheet",
                                                      "-session",       "-display",
                                                      "-geometry",      "-qwindowgeometry",
                                                      "-qwindowtitle",  "-qwindowicon",
                                                      "-name",          "-title",
                                                      "-visual",        "-qmljsdebugger"};
    return std::find(std::begin(kWithValue), std::end(kWithValue), arg) != std::end(kWithValue);
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
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] != '-') {
            // Qt's own options (-platform, -style, ...) go on to QApplication.
            rest.push_back(arg);
            if (QtOptionTakesValue(arg) && i + 1 < args.size()) {
                rest.push_back(args[++i]);
            }
        } else if (options.error.empty()) {
            options.error = arg.starts_with("--") ? "unknown option " + arg
                                                  : "unexpected argument \"" + arg + "\"";
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
    return DefaultDataFolder();
}

}  // namespace tulvo
