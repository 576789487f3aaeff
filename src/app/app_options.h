#pragma once

#include <string>
#include <vector>

namespace tulvo {

// The command line of the desktop program.
struct AppOptions {
    bool demo = false;            // --demo: built-in simulated gateway on the USB list
    std::string storePath;        // --store FILE (empty: the default store)
    std::string dataDir;          // --data-dir DIR (empty: the default data folder)
    bool measureStartup = false;  // --measure-startup: quit once the main window is shown
    bool help = false;            // --help
    bool version = false;         // --version
    std::string configFile;       // FILE: a configuration file offered for loading
    std::string error;            // set when the command line is refused

    // Options Qt itself understands (-platform, -style ...) are left in
    // `args` for QApplication; ours are taken out.
    static AppOptions Parse(std::vector<std::string>& args);
    static const char* Usage();

    // $XDG_DATA_HOME/ZARQ/MTulvo, or ~/.local/share/ZARQ/MTulvo.
    static std::string DefaultDataDir();
};

}  // namespace tulvo
