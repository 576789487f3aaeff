#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "actions/trace_file.h"
#include "calllog/call_log_storage.h"
#include "cli/cli_command.h"
#include "cli/stderr_operator.h"
#include "cli/test_link_timing.h"
#include "program_version.h"
#include "sim/fault_rule.h"
#include "store/store_file_checks.h"

namespace tulvo::cli {
namespace {

constexpr std::size_t kSummaryColumn = 44;
constexpr std::string_view kCommonOptions = "store data-dir yes on-error help";

// A summary's further lines ("\n  ...") start under its first line.
std::string SummaryAtColumn(std::string_view summary) {
    std::string text;
    for (char c : summary) {
        text += c;
        if (c == '\n') {
            text.append(kSummaryColumn - 2, ' ');
        }
    }
    return text;
}

std::string HelpText() {
    std::ostringstream out;
    out << "Usage: tulvo [--trace FILE] COMMAND [OPTIONS]\n"
           "  or:  tulvo --help | --version\n"
           "Read, write and compare the configuration of a Tulvo Universal GSM gateway\n"
           "over a serial port, download its call log and update its firmware.\n"
           "\ncommands:\n";
    for (const auto& command : AllCommands()) {
        std::string line = std::string("  ") + command.name + " " + command.usage;
        if (line.size() < kSummaryColumn) {
            line.resize(kSummaryColumn, ' ');
        } else {
            line += "\n" + std::string(kSummaryColumn, ' ');
        }
        out << line << SummaryAtColumn(command.summary) << "\n";
    }
    out << "\ncommon options:\n"
           "  --store FILE       settings store (default ~/.config/ZARQ/MTulvo.reg)\n"
           "  --data-dir DIR     folder of the call-log file (default ~/.local/share/ZARQ/MTulvo)\n"
           "  --yes              answer yes to questions\n"
           "  --on-error abort|ignore|cancel   answer to error boxes (default abort)\n"
           "  --port DEV         a device path, a port name from `tulvo ports`, or\n"
           "                     tcp://HOST:PORT of a serial device server (raw TCP, ser2net;\n"
           "                     the server sets the line rate)\n"
           "  --trace FILE       append the link's traffic to FILE, one line per request,\n"
           "                     reply and failed attempt (commands with --port; may also\n"
           "                     come before the command: tulvo --trace FILE read ...)\n"
           "  --help             the usage of a command\n"
           "A value that begins with -- is written --option=VALUE.\n"
           "\nfault rules of `simulate --fault RULE` (repeatable):\n  "
        << sim::FaultRuleSyntax()
        << "\n\nexit status: 0 done, 1 the operation failed, 2 bad usage;\n"
           "diff: 0 the same, 1 different, 2 the comparison failed or bad usage\n";
    return out.str();
}

bool Listed(std::string_view list, std::string_view option) {
    std::istringstream words{std::string(list)};
    for (std::string word; words >> word;) {
        if (word == "*" || word == option) {
            return true;
        }
    }
    return false;
}

// Commands that talk to the gateway take --port, and --trace with it.
bool TalksToGateway(const CliCommand& command) {
    return Listed(command.options, "port");
}

// One command's usage, summary and every option it takes.
std::string CommandHelpText(const CliCommand& command) {
    std::ostringstream out;
    out << "Usage: tulvo " << command.name << " " << command.usage << "\n  " << command.summary
        << "\noptions:";
    for (std::string_view list : {std::string_view(command.options), kCommonOptions}) {
        std::istringstream words{std::string(list)};
        for (std::string word; words >> word;) {
            out << " --" << word;
        }
    }
    out << (TalksToGateway(command) ? " --trace\n" : "\n");
    return out.str();
}

const CliCommand* FindCommand(std::string_view name) {
    for (const auto& command : AllCommands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

bool Accepts(const CliCommand& command, const std::string& option) {
    if (option == "trace") {
        return TalksToGateway(command);
    }
    return Listed(kCommonOptions, option) || Listed(command.options, option);
}

Operator::Choice ParseChoice(const std::optional<std::string>& value) {
    if (!value || *value == "abort") {
        return Operator::Choice::Abort;
    }
    if (*value == "ignore") {
        return Operator::Choice::Ignore;
    }
    if (*value == "cancel") {
        return Operator::Choice::Cancel;
    }
    throw UsageError("--on-error takes abort, ignore or cancel");
}

int UsageFailure(const CliCommand* command, const std::string& why) {
    std::fprintf(stderr, "tulvo: %s\n", why.c_str());
    if (command != nullptr) {
        std::fprintf(stderr, "usage: tulvo %s %s\n", command->name, command->usage);
    } else {
        std::fputs("run `tulvo --help` for the commands\n", stderr);
    }
    return kExitUsage;
}

// The options that may come before the command (only --trace), as
// "--name=value" words for the command's own parser; `first` is left at the
// command's name. Throws UsageError for an option without its value.
std::vector<std::string> LeadingOptions(int argc, char** argv, int& first) {
    std::vector<std::string> words;
    for (first = 1; first < argc; ++first) {
        const std::string_view word = argv[first];
        if (word.starts_with("--trace=")) {
            words.emplace_back(word);
        } else if (word == "--trace") {
            if (first + 1 >= argc) {
                throw UsageError("option --trace needs a value");
            }
            words.push_back("--trace=" + std::string(argv[++first]));
        } else {
            break;
        }
    }
    return words;
}

// Opens the --trace file before anything goes out and heads this run's lines
// with the command and the date. Null without --trace; throws UsageError
// when the file cannot be opened.
std::unique_ptr<TraceFile> OpenTraceFile(const CliArgs& args, const CliCommand& command) {
    const std::optional<std::string> path = args.Value("trace");
    if (!path) {
        return nullptr;
    }
    if (path->empty()) {
        throw UsageError("option --trace needs a value");
    }
    if (const auto port = args.Value("port");
        port && (store_file_checks::SameFile(*path, *port) ||
                 store_file_checks::SameFile(*path, "/dev/" + *port))) {
        throw UsageError("журнал обмена " + *path + " не может писаться в порт шлюза");
    }
    const std::string callLog = CallLogStorage::PathIn(args.DataDir());
    for (const std::string& own : {args.StorePath(), callLog}) {
        if (store_file_checks::SameFile(*path, own)) {
            throw UsageError("журнал обмена " + *path + " не может писаться в файл " + own);
        }
    }
    std::string why;
    std::unique_ptr<TraceFile> file = TraceFile::Open(*path, why);
    if (!file) {
        throw UsageError("невозможно открыть журнал обмена " + *path + ": " + why);
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
    file->Note(std::string("# tulvo ") + command.name + " " + date);
    return file;
}

int RunWithTrace(CliArgs& args, const CliCommand& command) {
    const std::unique_ptr<TraceFile> trace = OpenTraceFile(args, command);
    args.SetTrace(trace.get());
    const int status = command.run(args);
    if (trace && !trace->WriteError().empty()) {
        std::fprintf(stderr, "tulvo: журнал обмена %s записан не полностью: %s\n",
                     trace->Path().c_str(), trace->WriteError().c_str());
    }
    return status;
}

int Run(int argc, char** argv) {
    int first = 1;
    std::vector<std::string> words;
    try {
        words = LeadingOptions(argc, argv, first);
    } catch (const UsageError& e) {
        return UsageFailure(nullptr, e.what());
    }
    if (first >= argc) {
        return UsageFailure(nullptr, "no command given");
    }
    const std::string_view name = argv[first];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(HelpText().c_str(), stdout);
        return kExitDone;
    }
    if (name == "--version") {
        std::printf("tulvo %s\n", kProgramVersion);
        return kExitDone;
    }
    const CliCommand* command = FindCommand(name);
    if (command == nullptr) {
        return UsageFailure(nullptr, "unknown command \"" + std::string(name) + "\"");
    }
    words.insert(words.end(), argv + first + 1, argv + argc);
    try {
        StderrOperator op;
        CliArgs args(words, op, LinkSpeedFromEnvironment());
        op.SetAnswers(args.Has("yes"), ParseChoice(args.Value("on-error")));
        if (args.Has("help")) {
            std::fputs(CommandHelpText(*command).c_str(), stdout);
            return kExitDone;
        }
        for (const auto& [option, value] : args.Options()) {
            if (!Accepts(*command, option)) {
                throw UsageError("unknown option --" + option);
            }
        }
        if (args.Positional().size() > command->positionals) {
            throw UsageError("unexpected argument \"" + args.Positional()[command->positionals] +
                             "\"");
        }
        return RunWithTrace(args, *command);
    } catch (const UsageError& e) {
        return UsageFailure(command, e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tulvo %s: %s\n", command->name, e.what());
        return command->failureStatus;
    }
}

}  // namespace
}  // namespace tulvo::cli

int main(int argc, char** argv) {
    return tulvo::cli::Run(argc, argv);
}
