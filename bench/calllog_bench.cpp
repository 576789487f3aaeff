// The call-log storage file with 1,000,000 rows: save, load, a filter over
// every row and the report export, each against `awk -F'\t'` splitting the
// same file (targets: each <= 1 s and <= 3x awk), and the peak memory of
// the whole run against the file's size (target <= 3x).
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "calllog/call_log_file.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_filter.h"
#include "calllog/call_log_report.h"
#include "calllog/call_log_table.h"
#include "model/operator.h"

namespace tulvo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRows = 1000000;
constexpr double kSecondsTarget = 1.0;
constexpr double kAwkRatioTarget = 3.0;
constexpr double kMemoryRatioTarget = 3.0;

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
    std::printf("calllog %-8s %7.3f s  %5.2fx awk   (targets <= %.1f s, <= %.1fx)  %s\n", what,
                seconds, ratio, kSecondsTarget, kAwkRatioTarget, pass ? "PASS" : "FAIL");
    return pass;
}

int Run() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("tulvo-calllog-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    QuietOperator op;
    CallLogStorage storage(dir.string());
    bool pass = true;
    {
        CallLogTable table;
        Fill(table);
        const double save = Seconds([&] { storage.Save(table, op); });
        struct stat info {};
        ::stat(storage.Path().c_str(), &info);
        const double fileBytes = static_cast<double>(info.st_size);
        const std::string awkCommand =
            "awk -F'\\t' '{ n += NF } END { if (n == 0) exit 1 }' '" + storage.Path() + "'";
        double awk = 1e9;
        for (int i = 0; i < 3; ++i) {  // the best of three, as the file is then cached
            awk = std::min(awk, Seconds([&] {
                               if (std::system(awkCommand.c_str()) != 0) {
                                   std::fputs("awk failed\n", stderr);
                               }
                           }));
        }
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
        const double exporting = Seconds([&] { WriteCallLogReport(report, table, {}, op); });
        pass &= Report("export", exporting, awk);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const double peak = static_cast<double>(usage.ru_maxrss) * 1024.0;
        const double ratio = peak / fileBytes;
        const bool memoryPass = ratio <= kMemoryRatioTarget;
        std::printf("calllog memory   peak %.1f MB = %.2fx the file  (target <= %.1fx)  %s\n",
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
