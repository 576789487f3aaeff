#pragma once

// The sub-commands of `tulvo`, in help order. To add one, define
// `CliCommand XxxCommand()` in its own file (namespace tulvo::cli), add the
// file to CMakeLists.txt and add one line X(XxxCommand) below.
#define TULVO_CLI_COMMANDS(X) \
    X(PortsCommand)           \
    X(InfoCommand)            \
    X(ReadCommand)            \
    X(WriteCommand)           \
    X(ClockCommand)           \
    X(DiffCommand)            \
    X(ExportCommand)          \
    X(ImportCommand)          \
    X(FirmwareCommand)        \
    X(CallLogCommand)         \
    X(SimulateCommand)
