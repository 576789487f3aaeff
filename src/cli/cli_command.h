#pragma once

#include <cstddef>
#include <span>

#include "cli/cli_args.h"

namespace tulvo::cli {

// Exit statuses of every sub-command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// One sub-command of `tulvo`. Each lives in its own file, defines a function
// returning its CliCommand, and is registered by one line in
// cli_command_list.h.
struct CliCommand {
    const char* name;
    int (*run)(const CliArgs& args);  // returns an exit status; may throw UsageError
    const char* usage;                // arguments after the name, for the help text
    const char* summary;              // one line
    // Options it accepts besides the common ones, space-separated without
    // dashes, e.g. "port baud". "*" accepts any.
    const char* options;
    // How many positional words it takes (FILE); any more is a usage error.
    std::size_t positionals = 0;
    // Status when the operation fails with an error the command did not
    // catch itself (diff keeps 1 for "different").
    int failureStatus = kExitFailed;
};

// Every registered sub-command, in help order.
std::span<const CliCommand> AllCommands();

}  // namespace tulvo::cli
