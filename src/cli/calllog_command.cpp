#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "actions/call_log_download.h"
#include "actions/device_link.h"
#include "calllog/call_log_filter.h"
#include "calllog/call_log_report.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"
#include "cli/cli_command.h"
#include "cli/gateway_session.h"
#include "cli/progress_line.h"
#include "model/operator_texts.h"
#include "model/t_data.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "store/store_file_checks.h"
#include "sync/transfer_progress.h"

namespace tulvo::cli {
namespace {

// The settings store's image, for subscriber names and IDs; the defaults
// (every subscriber unknown) when there is no store.
std::unique_ptr<TData> StoreImage(const CliArgs& args) {
    auto image = std::make_unique<TData>();
    RegistryStore store(args.StorePath());
    if (store.Open()) {
        LoadImage(*image, store);
    }
    return image;
}

// Loads the call-log file; false when it could not be read (the operator was told).
bool LoadTable(const CliArgs& args, CallLogStorage& storage, CallLogTable& table) {
    return storage.Load(table, args.Op());
}

int Download(const CliArgs& args) {
    args.Required("port");
    CallLogStorage storage(args.DataDir());
    CallLogTable table;
    LoadTable(args, storage, table);  // an unreadable file is set aside, the download goes on
    const auto image = StoreImage(args);
    TransferProgress progress;
    DeviceLink link(args.Speed(), args.Trace());
    CallLogDownload::Outcome outcome;
    {
        ProgressLine line(args.Op(), progress, "Чтение базы звонков", isatty(STDERR_FILENO) == 1);
        CallLogDownload download(GatewayAccess(args, link, line), *image, storage);
        download.SetBlockStarted([&line](int block) {
            line.SetCaption("Чтение базы звонков: блок " + std::to_string(block) + ", запись");
        });
        outcome = download.Run(
            table,
            [&progress](const GatewayActions::Job& job) { return RunStoppable(progress, job); },
            {});
    }
    if (!outcome.opened) {
        return kExitFailed;
    }
    if (outcome.aborted) {
        std::fputs("tulvo: чтение прервано, порт закрыт; стёртые блоки сохранены в файле\n",
                   stderr);
        return kExitFailed;
    }
    std::fprintf(stderr, "tulvo: считано записей: %zu, стёрто блоков: %d, файл %s\n",
                 outcome.rowsAdded, outcome.blocksErased, storage.Path().c_str());
    if (outcome.recordsSkipped > 0) {
        std::fprintf(stderr, "tulvo: пропущено записей: %zu (стёрты вместе с блоком)\n",
                     outcome.recordsSkipped);
    }
    return outcome.complete ? kExitDone : kExitFailed;
}

// "empty", "unknown", "deactivated" or a subscriber number 1..300. Nothing,
// after a message, for the number of an empty slot: its blank ID would match
// the calls of whoever the gateway logs with that ID.
std::optional<SubscriberCondition> SideFilter(const CliArgs& args, const char* option,
                                              const TData& image) {
    using Kind = SubscriberCondition::Kind;
    const std::string value = *args.Value(option);
    if (value == "empty") {
        return SubscriberCondition{Kind::Empty, 0};
    }
    if (value == "unknown") {
        return SubscriberCondition{Kind::Unknown, 0};
    }
    if (value == "deactivated") {
        return SubscriberCondition{Kind::Deactivated, 0};
    }
    const long n = args.Int(option, 1, TData::kSubscribers).value_or(1);
    const ConstAbInfoRecord info = image.AbInfo(static_cast<int>(n));
    if (info.Empty()) {
        args.Op().Error("Абонент " + std::to_string(n) +
                        " не задан (пустая запись); отбор по нему невозможен.");
        return std::nullopt;
    }
    return SubscriberCondition{Kind::Id, static_cast<std::int32_t>(info.ID())};
}

// --call-type 0..7 is a call type code; 8 and 9 stand for "Нет связи"
// (code 11) and "Неизвестный" (the codes no name is given to).
CallTypeCondition CallTypeFilter(const CliArgs& args) {
    constexpr long kNoLinkOption = 8;
    constexpr long kUnknownOption = 9;
    const long value = *args.Int("call-type", 0, kUnknownOption);
    using Kind = CallTypeCondition::Kind;
    if (value == kNoLinkOption) {
        return {Kind::NoLink, 0};
    }
    return {value == kUnknownOption ? Kind::Unknown : Kind::Code, static_cast<int>(value)};
}

// DD.MM.YYYY or YYYY-MM-DD.
CallDate ParseDate(const CliArgs& args, const char* option) {
    const std::string text = *args.Value(option);
    int a = 0;
    int b = 0;
    int c = 0;
    char s1 = 0;
    char s2 = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c%d%c", &a, &s1, &b, &s2, &c, &extra) == 5) {
        CallDate date;
        if (s1 == '.' && s2 == '.') {
            date = {c, b, a};
        } else if (s1 == '-' && s2 == '-') {
            date = {a, b, c};
        } else {
            date = {0, 0, 0};
        }
        if (date.month >= 1 && date.month <= 12 && date.day >= 1 &&
            date.day <= DaysInMonth(date.year, date.month)) {
            return date;
        }
    }
    throw UsageError("--" + std::string(option) + " takes a date as DD.MM.YYYY or YYYY-MM-DD");
}

// The filter of the options; nothing (after a message) when one names an
// empty subscriber slot.
std::optional<CallLogFilter> FilterFrom(const CliArgs& args) {
    CallLogFilter filter;
    if (args.Has("call-type")) {
        filter.callType = CallTypeFilter(args);
    }
    if (args.Has("calling") || args.Has("called")) {
        const auto image = StoreImage(args);
        for (auto [option, side] :
             {std::pair{"calling", &filter.calling}, std::pair{"called", &filter.called}}) {
            if (!args.Has(option)) {
                continue;
            }
            *side = SideFilter(args, option, *image);
            if (!*side) {
                return std::nullopt;
            }
        }
    }
    if (const auto number = args.Value("number")) {
        const NumberPattern pattern = ParseNumberPattern(*number);
        if (pattern.mode != PatternMode::None) {
            filter.number = pattern;
        }
    }
    if (args.Has("from") || args.Has("to")) {
        filter.dates =
            DateRange{args.Has("from") ? ParseDate(args, "from") : CallDate{-32768, 1, 1},
                      args.Has("to") ? ParseDate(args, "to") : CallDate{32767, 12, 31}};
    }
    return filter;
}

int Export(const CliArgs& args) {
    if (args.Positional().size() != 2) {
        throw UsageError("calllog export needs the report FILE");
    }
    const std::string& report = args.Positional()[1];
    const std::optional<CallLogFilter> filter = FilterFrom(args);
    std::string why;
    if (!store_file_checks::UsableFileArgument(report, why)) {
        args.Op().Error(why);
        return kExitFailed;
    }
    if (!filter) {
        return kExitFailed;
    }
    // Straight from the file to the report: the table is never held.
    CallLogStorage storage(args.DataDir());
    const bool written = WriteCallLogReport(
        report, storage, [&filter](const CallLogRow& row) { return filter->Passes(row); },
        args.Op());
    return written ? kExitDone : kExitFailed;
}

int Clear(const CliArgs& args) {
    const std::optional<CallLogFilter> filter = FilterFrom(args);
    CallLogStorage storage(args.DataDir());
    CallLogTable table;
    if (!filter || !LoadTable(args, storage, table)) {
        return kExitFailed;
    }
    if (!args.Op().AskYesNo(texts::kLogClearAsk) || !args.Op().AskYesNo(texts::kLogClearConfirm)) {
        return kExitFailed;
    }
    const std::size_t removed =
        table.DeleteIf([&filter](const CallLogRow& row) { return filter->Passes(row); });
    if (!storage.Save(table, args.Op())) {
        return kExitFailed;
    }
    std::fprintf(stderr, "tulvo: удалено записей: %zu, осталось: %zu\n", removed, table.Size());
    return kExitDone;
}

int RunCallLog(const CliArgs& args) {
    const std::string word = args.Positional().empty() ? "" : args.Positional()[0];
    if (word == "download") {
        if (args.Positional().size() > 1) {
            throw UsageError("calllog download takes no FILE");
        }
        return Download(args);
    }
    if (word == "export") {
        return Export(args);
    }
    if (word == "clear") {
        if (args.Positional().size() > 1) {
            throw UsageError("calllog clear takes no FILE");
        }
        return Clear(args);
    }
    throw UsageError("calllog needs download, export FILE or clear");
}

}  // namespace

CliCommand CallLogCommand() {
    return {"calllog",
            RunCallLog,
            "download --port DEV | export FILE [FILTER] | clear [FILTER]",
            "call log: download into the data folder's file, report, clear\n"
            "  FILTER: --call-type 0..9  --calling W  --called W  --number PATTERN\n"
            "          --from DATE  --to DATE   (W: empty|unknown|deactivated|1..300)",
            "port sysfs call-type calling called number from to",
            2};
}

}  // namespace tulvo::cli
