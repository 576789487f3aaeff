// The call-log storage file with 1,000,000 rows.
//  - In process: save, load, a filter over every row and the report export,
//    each against `awk -F'\t'` splitting the same file (goals: each <= 1 s
//    and <= 3x awk), and the peak memory of the whole run against the
//    file's size (goal <= 3x).
//  - Whole command: `tulvo calllog export` spawned as a user runs it, against
//    awk spawned the same way over the same file (goal <= 3x), and the
//    command's own peak memory against the file's size (goal <= 2x).
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "calllog/call_log_file.h"
#include "calllog/call_log_filter.h"
#include "calllog/call_log_report.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"
#include "model/operator.h"

namespace tulvo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRows = 1000000;
constexpr double kSecondsTarget = 1.0;
constexpr double kAwkRatioTarget = 3.0;
constexpr double kMemoryRatioTarget = 3.0;
constexpr double kCommandAwkRatioTarget = 3.0;
constexpr double kCommandMemoryRatioTarget = 2.0;
constexpr int kRepeats = 3;

class QuietOperator : public Operator {
  public:
    void Message(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void Error(const std::string& text) override { Message(text); }
    bool AskYesNo(const std::string&) override { return false; }
    Choice AskAbortIgnoreCancel(const std::string&) override { return Choice::Abort; }
};

double Seconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct ChildRun {
    double seconds = 0;
    double peakBytes = 0;
    bool ok = false;
};

// Runs a program with its output discarded and waits for it: wall time,
// its own peak resident memory, and whether it exited with 0.
ChildRun Spawn(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (const std::string& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = Clock::now();
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        ::execvp(argv[0], argv.data());
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    ChildRun run;
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// The best time and the largest peak of a few runs (the file is cached
// after the first).
ChildRun Best(const std::vector<std::string>& words) {
    ChildRun best;
    best.seconds = 1e9;
    best.ok = true;
    for (int i = 0; i < kRepeats; ++i) {
        const ChildRun run = Spawn(words);
        best.seconds = std::min(best.seconds, run.seconds);
        best.peakBytes = std::max(best.peakBytes, run.peakBytes);
        best.ok = best.ok && run.ok;
    }
    return best;
}

// Rows as a busy gateway logs them: names, numbers, a day in December.
void Fill(CallLogTable& table) {
    static const char* const kTypes[] = {"Мобильный -> FXO", "Мобильный -> FXS", "FXO->Мобильный",
                                         "Нет связи"};
    static const char* const kNames[] = {"Иванов Сергей", "Петрова Анна", "Неизвестный",
                                         "Охрана объекта", "дэактивирован 17"};
    table.Reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        CallLogRow row;
        row.SetInt(CallLogField::Flag, 0);
        row.SetInt(CallLogField::CallType, i % 12);
        row.SetInt(CallLogField::IdCodOutH, i % 3);
        row.SetInt(CallLogField::IdCodOutL, i % 65536);
        row.SetInt(CallLogField::IdCodInH, 0);
        row.SetInt(CallLogField::IdCodInL, i % 300);
        row.SetTextUtf8(CallLogField::CallTypeStr, kTypes[i % 4]);
        row.SetTextUtf8(CallLogField::IdOutStr, kNames[i % 5]);
        row.SetTextUtf8(CallLogField::IdInStr, kNames[(i + 2) % 5]);
        row.SetText(CallLogField::TelNum, "8050" + std::to_string(1000000 + i % 9000000));
        row.SetTime(CallLogField::TimeConnect, CallTime{i % 5000});
        row.SetDate({2026, 12, 1 + i % 28});
        row.SetTime(CallLogField::Time, CallTime{(i * 37) % 86400});
        row.SetText(CallLogField::InTelNum, "8067" + std::to_string(2000000 + i % 7000000));
        row.SetText(CallLogField::DeviceName, "GATE0001");
        table.Append(row);
    }
}

bool Report(const char* what, double seconds, double awk) {
    const double ratio = seconds / awk;
    const bool pass = seconds <= kSecondsTarget && ratio <= kAwkRatioTarget;
    std::printf("calllog %-8s %7.3f s  %5.2fx awk   (goals <= %.1f s, <= %.1fx)  %s\n", what,
                seconds, ratio, kSecondsTarget, kAwkRatioTarget, pass ? "PASS" : "FAIL");
    return pass;
}

// Writes the storage file of kRows rows into folder from a child process, so
// that this process stays small: a child's peak memory, as wait4 reports it,
// counts the memory of the process it was forked from.
bool WriteFileFromChild(const std::string& folder) {
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid == 0) {
        QuietOperator op;
        CallLogStorage storage(folder);
        CallLogTable table;
        Fill(table);
        std::_Exit(storage.Save(table, op) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double FileBytes(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<double>(info.st_size) : 0;
}

// `tulvo calllog export` of the whole file, as a user runs it, against awk
// splitting the same file.
bool ReportCommand(const std::filesystem::path& dir) {
    const std::filesystem::path folder = dir / "command";
    std::filesystem::create_directories(folder);
    CallLogStorage storage(folder.string());
    const std::string report = (dir / "command-report.xls").string();
    if (!WriteFileFromChild(folder.string())) {
        std::printf("calllog command  the storage file could not be written: FAIL\n");
        return false;
    }
    const double fileBytes = FileBytes(storage.Path());
    const ChildRun awk =
        Best({"awk", "-F\t", "{ n += NF } END { if (n == 0) exit 1 }", storage.Path()});
    const ChildRun tulvo = Best({TULVO_CLI, "calllog", "export", report, "--data-dir",
                                 folder.string(), "--store", (dir / "none.reg").string()});
    if (!awk.ok || !tulvo.ok || FileBytes(report) == 0) {
        std::printf("calllog command  awk %s, tulvo calllog export %s: FAIL\n",
                    awk.ok ? "ran" : "failed", tulvo.ok ? "ran" : "failed");
        return false;
    }
    const double ratio = tulvo.seconds / awk.seconds;
    const bool timePass = ratio <= kCommandAwkRatioTarget;
    std::printf(
        "calllog command  tulvo calllog export %.3f s, awk -F'\\t' %.3f s (%.1f MB file):"
        " %.2fx awk  (goal <= %.1fx)  %s\n",
        tulvo.seconds, awk.seconds, fileBytes / 1e6, ratio, kCommandAwkRatioTarget,
        timePass ? "PASS" : "FAIL");
    const double memory = tulvo.peakBytes / fileBytes;
    const bool memoryPass = memory <= kCommandMemoryRatioTarget;
    std::printf("calllog command  peak %.1f MB = %.2fx the file  (goal <= %.1fx)  %s\n",
                tulvo.peakBytes / 1e6, memory, kCommandMemoryRatioTarget,
                memoryPass ? "PASS" : "FAIL");
    std::filesystem::remove_all(folder);
    return timePass && memoryPass;
}

int Run() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tulvo-calllog-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    // First, while this process is small.
    bool pass = ReportCommand(dir);
    QuietOperator op;
    CallLogStorage storage(dir.string());
    {
        CallLogTable table;
        Fill(table);
        const double save = Seconds([&] { storage.Save(table, op); });
        const double fileBytes = FileBytes(storage.Path());
        const double awk =
            Best({"awk", "-F\t", "{ n += NF } END { if (n == 0) exit 1 }", storage.Path()}).seconds;
        std::printf("calllog file     %d rows, %.1f MB; awk -F'\\t' splits it in %.3f s\n", kRows,
                    fileBytes / 1e6, awk);
        table.Reset();
        pass &= Report("save", save, awk);
        const double load = Seconds([&] { storage.Load(table, op); });
        pass &= Report("load", load, awk);
        if (table.Size() != static_cast<std::size_t>(kRows)) {
            std::printf("calllog load gave %zu rows: FAIL\n", table.Size());
            pass = false;
        }
        CallLogFilter filter;
        filter.callType = CallTypeCondition{CallTypeCondition::Kind::Unknown, 0};
        filter.calling = SubscriberCondition{SubscriberCondition::Kind::Deactivated, 0};
        filter.number = ParseNumberPattern("*5*");
        filter.dates = DateRange{{2026, 12, 3}, {2026, 12, 20}};
        std::size_t shown = 0;
        const double filtering = Seconds([&] {
            for (const CallLogRow& row : table.Rows()) {
                shown += filter.Passes(row) ? 1 : 0;
            }
        });
        std::printf("calllog filter keeps %zu rows\n", shown);
        pass &= Report("filter", filtering, awk);
        const std::string report = (dir / "report.xls").string();
        const double exporting =
            Seconds([&] { WriteCallLogReport(report, table, {}, storage.Path(), op); });
        pass &= Report("export", exporting, awk);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
        const double ratio = peak / fileBytes;
        const bool memoryPass = ratio <= kMemoryRatioTarget;
        std::printf("calllog memory   peak %.1f MB = %.2fx the file  (goal <= %.1fx)  %s\n",
                    peak / 1e6, ratio, kMemoryRatioTarget, memoryPass ? "PASS" : "FAIL");
        pass &= memoryPass;
    }
    std::filesystem::remove_all(dir);
    return pass ? 0 : 1;
}

}  // namespace
}  // namespace tulvo

int main() {
    return tulvo::Run();
}
