// Store and configuration-file timings on a full image: the five loads and
// the five saves of the registry store (each <= 20 ms), and a configuration
// file written and read back (each <= 10 ms). Prints the median of several
// runs per figure and PASS or FAIL. Saves sync the disk twice; that latency is
// measured on its own and left out of the judgement, since it depends on the
// disk, not on the code.
//
// usage: store_bench [FOLDER]   (default: $TMPDIR or /tmp)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/operator.h"
#include "model/t_data.h"
#include "store/atomic_file.h"
#include "store/config_file.h"
#include "store/image_store.h"
#include "store/registry_store.h"

namespace {

using namespace tulvo;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 15;

class QuietOperator : public Operator {
  public:
    void Message(const std::string&) override {}
    void Error(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    bool AskYesNo(const std::string&) override { return false; }
    Choice AskAbortIgnoreCancel(const std::string&) override { return Choice::Abort; }
};

// Every subscriber, list entry and message in use; round is mixed into the
// values so that each save has something to write.
void FillImage(TData& image, int round) {
    const std::string tag = std::to_string(round);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        AbInfoRecord info = image.AbInfo(n);
        info.SetFLAG(0x0A);
        info.SetID(static_cast<std::uint32_t>(n));
        info.SetPassword("1234567");
        info.SetLimIn(static_cast<std::uint32_t>(round));
        info.SetLimOut(7200);
        info.SetGr(0x01);
        AbPhoneRecord phone = image.AbPhone(n);
        phone.SetFlagPhone(0);
        phone.SetPhoneIn("+38050" + std::to_string(1000000 + n));
        phone.SetPhoneOut("123");
        image.Name(n).AbFNS = "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED " + tag;
        image.Name(n).AbIdCod = n;
    }
    for (int k = 0; k < TData::kBlackListEntries; ++k) {
        BlackListRecord entry = image.BlackListEntry(k);
        entry.SetFLAG(0x05);
        entry.SetGM(static_cast<std::uint8_t>(1 + round % 200));
        entry.SetNUM("380" + std::to_string(100000 + k));
    }
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        image.SMSMessage(m).SetText(std::string(150, 'a' + m) + tag);
    }
    image.SettingFXO().SetOUTLIM(static_cast<std::uint32_t>(round));
    image.SettingFXS().SetOUTLIM(static_cast<std::uint32_t>(round));
    image.SettingMOB().SetRP("0501234567");
    image.SettingPASSWORD().SetPassword(tag);
    image.ControlAccount().SetTO1(static_cast<std::uint16_t>(round));
    image.SettingAlarm().SetFLAG(static_cast<std::uint8_t>(round));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Milliseconds(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Saves are judged without the disk's sync latency (syncFloor), which the
// code cannot change; the totals are printed as measured.
bool Report(const char* what, const std::vector<double>& runs, double limit, double syncFloor) {
    const double median = Median(runs);
    const double worst = *std::max_element(runs.begin(), runs.end());
    const double own = std::max(0.0, median - syncFloor);
    const bool pass = own <= limit;
    std::printf("%-34s median %7.2f ms  max %7.2f ms  without sync %6.2f ms (<= %.0f)  %s\n", what,
                median, worst, own, limit, pass ? "PASS" : "FAIL");
    return pass;
}

using Load = void (*)(TData&, RegistryStore&);

// What the disk alone costs: an atomic replace (two syncs) of a one-byte file.
// Every save includes it once.
double SyncFloor(const std::string& folder) {
    std::vector<double> runs;
    for (int i = 0; i < kRuns; ++i) {
        runs.push_back(Milliseconds([&] { WriteFileAtomically(folder + "/probe", "x", 0600); }));
    }
    std::printf("%-34s median %7.2f ms  (the disk's sync latency)\n", "atomic replace of 1 byte",
                Median(runs));
    return Median(runs);
}

bool BenchStore(const std::string& folder, double syncFloor) {
    const std::string path = folder + "/MTulvo.reg";
    auto image = std::make_unique<TData>();
    {
        RegistryStore store(path);
        FillImage(*image, 0);
        SaveImage(*image, store);
    }
    std::printf("store file: %ju bytes\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
    bool pass = true;
    // Each load runs on a store that has not read the file yet, as at start-up.
    const std::pair<const char*, Load> loads[] = {
        {"LoadSubscribers", LoadSubscribers},
        {"LoadSettings", LoadSettings},
        {"LoadAlarm", LoadAlarm},
        {"LoadBlackList", LoadBlackList},
        {"LoadSms", LoadSms},
    };
    for (const auto& [name, load] : loads) {
        std::vector<double> runs;
        for (int i = 0; i < kRuns; ++i) {
            RegistryStore store(path);
            runs.push_back(Milliseconds([&] { load(*image, store); }));
        }
        pass = Report(name, runs, 20, 0) && pass;
    }
    // Each save has changed values to write: re-read, merge, write, sync, rename.
    using Save = std::function<bool(TData&, RegistryStore&)>;
    const std::pair<const char*, Save> saves[] = {
        {"SaveSubscribers (all)", [](TData& d, RegistryStore& s) { return SaveSubscribers(d, s); }},
        {"SaveSettings", SaveSettings},
        {"SaveAlarm", SaveAlarm},
        {"SaveBlackList", SaveBlackList},
        {"SaveSms", SaveSms},
    };
    RegistryStore store(path);
    for (const auto& [name, save] : saves) {
        std::vector<double> runs;
        for (int i = 1; i <= kRuns; ++i) {
            FillImage(*image, i + 100 * static_cast<int>(&name - &saves[0].first));
            bool saved = false;
            runs.push_back(Milliseconds([&] { saved = save(*image, store); }));
            if (!saved) {
                std::printf("%s failed: %s\n", name, store.LastError().c_str());
                return false;
            }
        }
        pass = Report(name, runs, 20, syncFloor) && pass;
    }
    return pass;
}

bool BenchConfigFile(const std::string& folder, double syncFloor) {
    const std::string path = folder + "/bench.cnfg";
    auto image = std::make_unique<TData>();
    FillImage(*image, 1);
    QuietOperator op;
    std::vector<double> writes;
    std::vector<double> reads;
    for (int i = 0; i < kRuns; ++i) {
        writes.push_back(Milliseconds([&] { SaveConfigFile(*image, path, op); }));
        reads.push_back(Milliseconds([&] { LoadConfigFile(*image, path, op); }));
    }
    std::printf("configuration file: %ju bytes\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
    const bool write = Report("SaveConfigFile (300 + 186 lines)", writes, 10, syncFloor);
    const bool read = Report("LoadConfigFile (300 + 186 lines)", reads, 10, 0);
    return write && read;
}

}  // namespace

int main(int argc, char** argv) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp");
    std::string folder = base + "/tulvo-store-bench-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) {
        std::perror(folder.c_str());
        return 2;
    }
    std::printf("folder: %s\n", folder.c_str());
    const double syncFloor = SyncFloor(folder);
    const bool store = BenchStore(folder, syncFloor);
    const bool file = BenchConfigFile(folder, syncFloor);
    std::filesystem::remove_all(folder);
    std::printf("%s\n", store && file ? "PASS" : "FAIL");
    return store && file ? 0 : 1;
}
