#include "crash_generations.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "calllog/call_log_file.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"
#include "store/byte_source.h"
#include "store/config_file.h"
#include "store/image_store.h"
#include "store/regedit_format.h"
#include "store/registry_store.h"
#include "support/recording_operator.h"

namespace tulvo::test {
namespace {

// Values SaveImage writes: six per subscriber, the five settings records, the
// alarm, black/white list elements 0 to 186 and ten messages.
constexpr std::size_t kStoreValues =
    6 * TData::kSubscribers + 5 + 1 + TData::kBlackListEntries + TData::kSmsMessages;

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string Dec(std::uint64_t value) {
    return std::to_string(value);
}

// The configuration text of generation g, in the file's own syntax.
std::string GenerationConfigText(std::uint32_t seed, std::uint64_t g) {
    std::string text = "GSM,FLAG:01,RM:1,RP:" + Dec(g) + "\r\n";
    text += "PASSWORD:" + Dec(g % 10000000) + "\r\n";
    const std::uint64_t entries = 1 + (g + seed) % 6;
    for (std::uint64_t k = 1; k <= entries; ++k) {
        text += "BL:" + Dec(k) + ",GM:01,FLAG:05,NUM:" + Dec(g) + Dec(k) + "\r\n";
    }
    const std::uint64_t subscribers = 1 + (g * 7 + seed) % 40;
    for (std::uint64_t n = 1; n <= subscribers; ++n) {
        const std::uint64_t id = n == 1 ? g : (g * 300 + n) & 0xFFFFFFFF;
        // '/' stands for a space in a subscriber line; C0 E1 is "Аб".
        text += "Ab:" + Dec(n) + ",ID:" + Hex(id) + ",Lim:" + Dec(g % 10000) + "/" + Dec(n) +
                ",LM:3F,DL:1,Gr:01,Password:" + Dec((g + n) % 10000000) + ",FLAG:0A,Ph:8" + Dec(g) +
                Dec(n) + "/" + Dec(n) + ",FNS:\xC0\xE1/G" + Dec(g) + "/N" + Dec(n) +
                std::string((g + n) % 11, 'x') + "\r\n";
    }
    text += "AC_CTRL,TO1:" + Dec(g % 65536) + ",USSD:*10" + Dec(g % 10) +
            "#,UNIT:UAH,AL:" + Dec(g % 1000) + ",AB1:65535,AB2:65535,AB3:65535,AB4:65535\r\n";
    return text;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string FolderOf(const std::string& path) {
    return std::filesystem::path(path).parent_path().string();
}

std::string FirstText(const RecordingOperator& op) {
    if (op.entries.empty()) {
        return {};
    }
    return op.entries.front().text + " " + op.entries.front().detail;
}

std::optional<std::uint64_t> Refuse(std::string& problem, std::string why) {
    problem = std::move(why);
    return std::nullopt;
}

std::optional<std::uint64_t> ReadStoreGeneration(const std::string& path, std::uint32_t seed,
                                                 std::string& problem) {
    // The text itself: every line parses, every value is there, and writing
    // the tree back gives the same bytes, so no line is cut short.
    const std::string bytes = ReadBytes(path);
    RegeditReadStats stats;
    const RegistryTree tree = ReadRegeditText(bytes, {}, &stats);
    if (!stats.Whole() || stats.skippedLines != 0) {
        return Refuse(problem, "the store is cut short or has damaged lines (" +
                                   std::to_string(stats.skippedLines) + " skipped)");
    }
    if (tree.ValueCount() != kStoreValues) {
        return Refuse(problem, "the store holds " + std::to_string(tree.ValueCount()) +
                                   " values instead of " + std::to_string(kStoreValues));
    }
    if (WriteRegedit(tree, stats.format) != bytes) {
        return Refuse(problem, "the store does not end where its last value does");
    }
    // The program's own start-up read.
    RegistryStore store(path);
    if (!store.Open()) {
        return Refuse(problem, "the store cannot be opened: " + store.Problem());
    }
    TData image;
    LoadImage(image, store);
    const std::uint64_t g = image.AbInfo(1).ID();
    if (StoredPrint(image) != StoredPrint(*GenerationImage(seed, g))) {
        return Refuse(problem, "the store is not generation " + Dec(g) + " whole");
    }
    return g;
}

std::optional<std::uint64_t> ReadConfigGeneration(const std::string& path, std::uint32_t seed,
                                                  std::string& problem) {
    const std::string bytes = ReadBytes(path);
    TData image;
    RecordingOperator op;
    if (!LoadConfigFile(image, path, op).Loaded() || !op.entries.empty()) {
        return Refuse(problem, "the configuration file does not load: " + FirstText(op));
    }
    const std::uint64_t g = image.AbInfo(1).ID();
    const std::string expected = WriteConfigText(*GenerationImage(seed, g));
    if (bytes != expected || WriteConfigText(image) != expected) {
        return Refuse(problem, "the configuration file (" + Dec(bytes.size()) +
                                   " bytes) is not generation " + Dec(g) + " whole (" +
                                   Dec(expected.size()) + " bytes)");
    }
    return g;
}

std::optional<std::uint64_t> ReadCallLogGeneration(const std::string& path, std::uint32_t seed,
                                                   std::string& problem) {
    const std::string bytes = ReadBytes(path);
    CallLogStorage storage(FolderOf(path));
    CallLogTable table;
    RecordingOperator op;
    if (!storage.Load(table, op) || !op.entries.empty()) {
        return Refuse(problem, "the call-log file does not load: " + FirstText(op));
    }
    if (table.Empty()) {
        return Refuse(problem, "the call-log file holds no row");
    }
    const auto marker = table.Row(0).Int(CallLogField::IdCodOutH);
    const std::uint64_t g = marker && *marker > 0 ? static_cast<std::uint64_t>(*marker) : 0;
    const std::vector<CallLogRow> expected = GenerationRows(seed, g);
    const auto rows = table.Rows();
    if (!std::equal(rows.begin(), rows.end(), expected.begin(), expected.end()) ||
        bytes != call_log_file::Format(expected)) {
        return Refuse(problem, "the call-log file (" + Dec(rows.size()) +
                                   " rows) is not generation " + Dec(g) + " whole (" +
                                   Dec(expected.size()) + " rows)");
    }
    return g;
}

}  // namespace

std::optional<SavedFile> SavedFileNamed(std::string_view name) {
    for (SavedFile kind : {SavedFile::Store, SavedFile::Config, SavedFile::CallLog}) {
        if (name == NameOf(kind)) {
            return kind;
        }
    }
    return std::nullopt;
}

std::string_view NameOf(SavedFile kind) {
    switch (kind) {
        case SavedFile::Store:
            return "store";
        case SavedFile::Config:
            return "config";
        case SavedFile::CallLog:
            return "calllog";
    }
    return {};
}

std::string FileNameOf(SavedFile kind) {
    switch (kind) {
        case SavedFile::Store:
            return "MTulvo.reg";
        case SavedFile::Config:
            return "gateway.cnfg";
        case SavedFile::CallLog:
            return call_log_file::kFileName;
    }
    return {};
}

std::unique_ptr<TData> GenerationImage(std::uint32_t seed, std::uint64_t g) {
    auto image = std::make_unique<TData>();
    const std::string text = GenerationConfigText(seed, g);
    ByteSource source(text, ByteSource::kNoLimit);
    RecordingOperator op;
    ReadConfig(*image, source, op);
    // Only the store keeps the messages; the last one ends its file.
    image->SMSMessage(TData::kSmsMessages - 1).SetText("G" + Dec(g) + std::string(g % 17, '.'));
    return image;
}

std::vector<CallLogRow> GenerationRows(std::uint32_t seed, std::uint64_t g) {
    const std::uint64_t count = 1 + (g * 5 + seed) % 48;
    std::vector<CallLogRow> rows(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        CallLogRow& row = rows[i];
        const auto small = [](std::uint64_t value) { return static_cast<std::int32_t>(value); };
        row.SetInt(CallLogField::N, small(i));
        row.SetInt(CallLogField::Flag, small(g % 2));
        row.SetInt(CallLogField::CallType, small(i % 7));
        row.SetInt(CallLogField::IdCodOutH, small(g & 0x7FFFFFFF));
        row.SetInt(CallLogField::IdCodOutL, small(i));
        row.SetInt(CallLogField::IdCodInH, small(seed % 1000));
        if (i % 2 == 0) {
            row.SetInt(CallLogField::IdCodInL, small(g % 65536));
        }
        // "Мобильный -> FXO" in Windows-1251.
        row.SetText(CallLogField::CallTypeStr, "\xCC\xEE\xE1\xE8\xEB\xFC\xED\xFB\xE9 -> FXO");
        row.SetText(CallLogField::IdOutStr, "G" + Dec(g) + " 50% r" + Dec(i));
        row.SetText(CallLogField::IdInStr, "\xCF\xE5\xF2\xF0\xEE\xE2");  // "Петров"
        row.SetText(CallLogField::TelNum, Dec(g) + Dec(i));
        row.SetTime(CallLogField::TimeConnect, CallTime{static_cast<int>((g + i) % 86400)});
        row.SetDate(CallDate{2026, 12, static_cast<int>(1 + i % 28)});
        row.SetTime(CallLogField::Time, CallTime{static_cast<int>((g * 7 + i) % 86400)});
        row.SetText(CallLogField::InTelNum, i % 2 == 0 ? std::string() : Dec(g));
        row.SetText(CallLogField::DeviceName, "GATE" + Dec(g % 10000));
    }
    return rows;
}

std::string StoredPrint(const TData& image) {
    std::string print;
    const auto add = [&print](const auto& record) {
        const auto bytes = record.SealedCopy();
        print.append(bytes.begin(), bytes.end());
    };
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        add(image.AbInfo(n));
        const auto phone = image.AbPhone(n);
        print += image.Name(n).AbFNS + '\0' +
                 Dec(static_cast<std::uint32_t>(image.Name(n).AbIdCod)) + '\0' + phone.PhoneIn() +
                 '\0' + phone.PhoneOut() + '\0' + Dec(phone.FlagPhone());
    }
    add(image.SettingFXO());
    add(image.SettingFXS());
    add(image.SettingMOB());
    add(image.SettingPASSWORD());
    add(image.ControlAccount());
    add(image.SettingAlarm());
    for (int k = 0; k < TData::kBlackListEntries; ++k) {
        add(image.BlackListEntry(k));
    }
    for (int m = 0; m < TData::kSmsMessages; ++m) {
        const auto bytes = image.SMSMessage(m).bytes();
        print.append(bytes.begin(), bytes.end());
    }
    return print;
}

struct GenerationWriter::State {
    SavedFile kind;
    std::string path;
    std::uint32_t seed;
    RecordingOperator op;
    std::unique_ptr<RegistryStore> store;
    std::unique_ptr<CallLogStorage> storage;
    CallLogTable table;
};

GenerationWriter::GenerationWriter(SavedFile kind, std::string path, std::uint32_t seed)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.kind = kind;
    s.path = std::move(path);
    s.seed = seed;
    if (kind == SavedFile::Store) {
        s.store = std::make_unique<RegistryStore>(s.path);
        s.store->Open();
        TData image;
        LoadImage(image, *s.store);
    } else if (kind == SavedFile::CallLog) {
        s.storage = std::make_unique<CallLogStorage>(FolderOf(s.path));
        s.storage->Load(s.table, s.op);
    }
}

GenerationWriter::~GenerationWriter() = default;

bool GenerationWriter::Save(std::uint64_t g, std::string& error) {
    State& s = *state_;
    s.op.entries.clear();
    bool saved = false;
    switch (s.kind) {
        case SavedFile::Store: {
            const auto image = GenerationImage(s.seed, g);
            saved = SaveImage(*image, *s.store);
            error = s.store->LastError();
            return saved;
        }
        case SavedFile::Config:
            saved = SaveConfigFile(*GenerationImage(s.seed, g), s.path, s.op);
            break;
        case SavedFile::CallLog:
            // Generation g's rows take the place of the rows the file has.
            s.table.DeleteIf([](const CallLogRow&) { return true; });
            s.table.AppendNumbered(GenerationRows(s.seed, g));
            saved = s.storage->Save(s.table, s.op);
            break;
    }
    error = FirstText(s.op);
    return saved;
}

std::optional<std::uint64_t> ReadGeneration(SavedFile kind, const std::string& path,
                                            std::uint32_t seed, std::string& problem) {
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) {
        return 0;
    }
    switch (kind) {
        case SavedFile::Store:
            return ReadStoreGeneration(path, seed, problem);
        case SavedFile::Config:
            return ReadConfigGeneration(path, seed, problem);
        case SavedFile::CallLog:
            return ReadCallLogGeneration(path, seed, problem);
    }
    return std::nullopt;
}

}  // namespace tulvo::test
