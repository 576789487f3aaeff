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

// arg is --name or --name=VALUE.
bool NamesOption(std::string_view arg, std::string_view name) {
    return arg.starts_with(name) && (arg.size() == name.size() || arg[name.size()] == '=');
}

// The value of --name VALUE (args[i + 1], then skipped) or --name=VALUE; an
// empty one when it is missing. A word that begins with "--" is the next
// option, never a value.
std::string OptionValue(const std::vector<std::string>& args, std::size_t& i,
                        std::string_view name) {
    const std::string& arg = args[i];
    if (arg.size() > name.size()) {
        return arg.substr(name.size() + 1);
    }
    if (i + 1 < args.size() && !args[i + 1].starts_with("--")) {
        return args[++i];
    }
    return {};
}

}  // namespace

AppOptions AppOptions::Parse(std::vector<std::string>& args) {
    AppOptions options;
    std::vector<std::string> rest;
    if (!args.empty()) {
        rest.push_back(args.front());
    }
    auto fail = [&options](const std::string& why) {
        if (options.error.empty()) {
            options.error = why;
        }
    };
    // Each option that takes a value may be given once.
    auto value = [&](std::size_t& i, std::string_view name, std::string& into) {
        std::string given = OptionValue(args, i, name);
        if (given.empty()) {
            fail(std::string(name) + " needs a value");
        } else if (!into.empty()) {
            fail(std::string(name) + " given twice");
        } else {
            into = std::move(given);
        }
    };
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || (!arg.empty() && arg[0] != '-')) {
            if (options.configFile.empty()) {
                options.configFile = arg;
            } else {
                fail("unexpected argument \"" + arg + "\" (one FILE at most)");
            }
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--measure-startup") {
            options.measureStartup = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (NamesOption(arg, "--store")) {
            value(i, "--store", options.storePath);
        } else if (NamesOption(arg, "--data-dir")) {
            value(i, "--data-dir", options.dataDir);
        } else if (arg.size() > 1 && arg[1] != '-') {
            // Qt's own options (-platform, -style, ...) go on to QApplication.
            rest.push_back(arg);
            if (QtOptionTakesValue(arg) && i + 1 < args.size()) {
                rest.push_back(args[++i]);
            }
        } else {
            fail(arg.empty() ? "unexpected empty argument" : "unknown option " + arg);
        }
    }
    args = rest;
    return options;
}

const char* AppOptions::Usage() {
    return "Usage: tulvo-configurator [--demo] [--store FILE] [--data-dir DIR] [FILE]\n"
           "Edit the configuration of a Tulvo Universal GSM gateway, read it from the\n"
           "gateway and write it back over a serial port, download its call log.\n"
           "A configuration FILE (.cnfg) given is offered for loading once the window is up.\n"
           "\n"
           "Options:\n"
           "  --demo          start the built-in simulated gateway and offer it as the\n"
           "                  gateway's USB port\n"
           "  --store FILE    settings store (default ~/.config/ZARQ/MTulvo.reg)\n"
           "  --data-dir DIR  folder of the call-log file (default\n"
           "                  ~/.local/share/ZARQ/MTulvo)\n"
           "  --help          this text\n"
           "  --version       the program's version\n";
}

std::string AppOptions::DefaultDataDir() {
    return DefaultDataFolder();
}

}  // namespace tulvo
