#include "cli/cli_command.h"
#include "cli/cli_command_list.h"

namespace tulvo::cli {

#define TULVO_DECLARE_COMMAND(name) CliCommand name();
TULVO_CLI_COMMANDS(TULVO_DECLARE_COMMAND)
#undef TULVO_DECLARE_COMMAND

std::span<const CliCommand> AllCommands() {
#define TULVO_LIST_COMMAND(name) name(),
    static const CliCommand commands[] = {TULVO_CLI_COMMANDS(TULVO_LIST_COMMAND)};
#undef TULVO_LIST_COMMAND
    return commands;
}

}  // namespace tulvo::cli
