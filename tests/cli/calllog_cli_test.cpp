#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_child.h"
#include "model/cp1251.h"
#include "sim/demo_call_log.h"
#include "sim/gateway.h"
#include "store/temp_dir.h"

namespace tulvo {
namespace {

// Report lines after the header, each cut to its N and the dialled number.
std::vector<std::string> Calls(const std::string& report) {
    std::vector<std::string> calls;
    std::istringstream lines(Cp1251ToUtf8(report));
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::vector<std::string> cells;
        std::istringstream cellStream(line);
        for (std::string cell; std::getline(cellStream, cell, '\t');) {
            cell.erase(cell.find_last_not_of(" \r") + 1);
            cells.push_back(cell);
        }
        calls.push_back(cells.at(0) + " " + cells.at(5));
    }
    return calls;
}

TEST(CallLogCli, DownloadExportAndClearAgainstTheSimulatedGateway) {
    sim::Gateway gateway;
    for (auto& block : sim::DemoCallLogBlocks()) {
        gateway.State().AddLogBlock(std::move(block));
    }
    // The first block's last record cannot be read; --on-error ignore skips it.
    gateway.Faults().Add({.kind = sim::FaultRule::Kind::Status,
                          .command = 0x10,
                          .fromIndex = 3,
                          .toIndex = 3,
                          .count = 1,
                          .status = 1});
    ASSERT_TRUE(gateway.Start()) << gateway.Error();
    test::TempDir dir;
    const std::vector<std::string> common{"--data-dir", dir.File("data"), "--store",
                                          dir.File("none.reg")};
    auto tulvo = [&](std::vector<std::string> words) {
        words.insert(words.end(), common.begin(), common.end());
        return test::CliChild::Run(words, dir.Path());
    };

    const auto download =
        tulvo({"calllog", "download", "--port", gateway.DevicePath(), "--on-error", "ignore"});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_NE(download.err.find("Данных больше нет"), std::string::npos) << download.err;
    EXPECT_NE(download.err.find("пропущено записей: 1"), std::string::npos) << download.err;
    EXPECT_EQ(gateway.State().LogBlockCount(), 0U);

    const auto all = tulvo({"calllog", "export", "-"});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(Calls(all.out).size(), 12U);

    const auto filtered = tulvo({"calllog", "export", dir.File("r.xls"), "--number", "044*",
                                 "--from", "03.12.2026", "--to", "2026-12-05"});
    EXPECT_EQ(filtered.exitCode, 0) << filtered.err;
    std::ifstream in(dir.File("r.xls"), std::ios::binary);
    const std::string report{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(Calls(report), (std::vector<std::string>{"0 0442001122", "4 0443334455"}));

    const auto refused = tulvo({"calllog", "clear"});
    EXPECT_EQ(refused.exitCode, 1);
    const auto cleared = tulvo({"calllog", "clear", "--yes", "--call-type", "9"});
    EXPECT_EQ(cleared.exitCode, 0) << cleared.err;
    // Item 9 takes the codes 9 and 200 of the demonstration log, not 8 and 10.
    EXPECT_EQ(Calls(tulvo({"calllog", "export", "-"}).out).size(), 10U);
    // Slot 5 is empty: its blank ID would match someone else's calls.
    const auto emptySlot = tulvo({"calllog", "export", "-", "--calling", "5"});
    EXPECT_EQ(emptySlot.exitCode, 1);
    EXPECT_NE(emptySlot.err.find("Абонент 5 не задан"), std::string::npos) << emptySlot.err;

    EXPECT_EQ(tulvo({"calllog", "export"}).exitCode, 2);
    EXPECT_EQ(tulvo({"calllog", "export", "-", "--from", "31.02.2026"}).exitCode, 2);
    EXPECT_EQ(tulvo({"calllog", "download", "extra", "--port", "x"}).exitCode, 2);
}

// Every file of a folder with its bytes.
std::map<std::string, std::string> Folder(const std::string& path) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

// Export only reads the data folder, also when its file cannot be parsed or
// is named as the report; a failed export leaves an earlier report as it was.
TEST(CallLogCli, ExportLeavesTheDataFolderAsItWas) {
    const std::string header =
        " @@FILE  VERSION@@ \t 251 \r\n @@TABLEDEF  START@@ \r\n"
        " N=AutoInc,0,\"N\",\"\",10,Data,\"\" \r\n"
        " TelNum=String,19,\"TelNum\",\"\",19,Data,\"\" \r\n @@TABLEDEF  END@@ \r\n"
        " N \t TelNum \t\r\n";
    const struct {
        const char* name;
        std::string file;
        int exitCode;
        const char* report;        // the report's rows after the header; null: the old report
        bool intoTheFile = false;  // the report named as the call-log file itself
    } cases[] = {
        {"good", header + " 7 \t 0441234567 \t\r\n 9 \t 0449999999 \t\r\n", 0,
         "\r\n7     \t                   \t          \t                   \t          \t"
         "0441234567         \t                  \t        \t        \t        "},
        {"short row", header + " 7 \t 0441234567 \t\r\n 8 \t\r\n", 1, nullptr},
        {"not a call log", "hello\r\n", 1, nullptr},
        {"report over the file", header, 1, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        std::filesystem::create_directories(dir.File("data"));
        std::ofstream(dir.File("data/DataBilling.dbf"), std::ios::binary) << c.file;
        std::ofstream(dir.File("r.xls"), std::ios::binary) << "old";
        const auto before = Folder(dir.File("data"));
        const std::string target =
            c.intoTheFile ? dir.File("data/DataBilling.dbf") : dir.File("r.xls");
        const auto run =
            test::CliChild::Run({"calllog", "export", target, "--number", "*4567", "--data-dir",
                                 dir.File("data"), "--store", dir.File("none.reg")},
                                dir.Path());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(Folder(dir.File("data")), before);
        std::ifstream in(dir.File("r.xls"), std::ios::binary);
        const std::string report{std::istreambuf_iterator<char>(in), {}};
        if (c.report == nullptr) {
            EXPECT_EQ(report, "old");
            EXPECT_NE(run.err.find("DataBilling.dbf"), std::string::npos) << run.err;
        } else {
            EXPECT_EQ(report.substr(report.find("\r\n")), c.report);
        }
    }
}

// A record whose dialled number says where it came from ("g1b2r3").
sim::Bytes Record(const std::string& number) {
    sim::Bytes bytes(65, 0);
    bytes[1] = 6;
    std::copy(number.begin(), number.end(), bytes.begin() + 10);
    bytes[53] = 8;
    bytes[54] = 12;
    bytes[55] = 26;
    return bytes;
}

// Two downloads from two gateways into one data folder at the same time:
// every call of both gateways ends up in the file once, in whatever order
// the two programs save their blocks.
TEST(CallLogCli, TwoDownloadsIntoOneFolderKeepEveryCallOfBothOnce) {
    std::vector<std::string> expected;
    sim::Gateway gateways[2];
    for (int g = 0; g < 2; ++g) {
        for (int b = 0; b < 4; ++b) {
            std::vector<sim::Bytes> block;
            for (int r = 0; r < 5; ++r) {
                const std::string number =
                    "g" + std::to_string(g) + "b" + std::to_string(b) + "r" + std::to_string(r);
                block.push_back(Record(number));
                expected.push_back(number);
            }
            gateways[g].State().AddLogBlock(std::move(block));
        }
        gateways[g].SetPacing({.baud = 0, .latency = std::chrono::milliseconds(2)});
        ASSERT_TRUE(gateways[g].Start()) << gateways[g].Error();
    }
    test::TempDir dir;
    std::filesystem::create_directories(dir.File("w0"));
    std::filesystem::create_directories(dir.File("w1"));
    auto download = [&](int g) {
        return std::vector<std::string>{
            "calllog",    "download",       "--port",  gateways[g].DevicePath(),
            "--data-dir", dir.File("data"), "--store", dir.File("none.reg")};
    };
    test::CliChild second;
    const auto first = test::CliChild::Run(
        download(0), dir.File("w0"), {}, std::chrono::seconds(60),
        [&](pid_t) { second = test::CliChild::Run(download(1), dir.File("w1")); });
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(gateways[0].State().LogBlockCount(), 0U);
    EXPECT_EQ(gateways[1].State().LogBlockCount(), 0U);

    const auto all = test::CliChild::Run(
        {"calllog", "export", "-", "--data-dir", dir.File("data"), "--store", dir.File("none.reg")},
        dir.Path());
    std::vector<std::string> numbers;
    std::set<std::string> ns;
    for (const std::string& call : Calls(all.out)) {
        ns.insert(call.substr(0, call.find(' ')));
        numbers.push_back(call.substr(call.find(' ') + 1));
    }
    std::sort(numbers.begin(), numbers.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(ns.size(), expected.size()) << "every row keeps its own N";
}

}  // namespace
}  // namespace tulvo
