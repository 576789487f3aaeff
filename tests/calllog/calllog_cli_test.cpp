#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../sync/cli_child.h"
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
    ASSERT_TRUE(gateway.Start()) << gateway.Error();
    test::TempDir dir;
    const std::vector<std::string> common{"--data-dir", dir.File("data"), "--store",
                                          dir.File("none.reg")};
    auto tulvo = [&](std::vector<std::string> words) {
        words.insert(words.end(), common.begin(), common.end());
        return test::CliChild::Run(words, dir.Path());
    };

    const auto download = tulvo({"calllog", "download", "--port", gateway.DevicePath()});
    EXPECT_EQ(download.exitCode, 0) << download.err;
    EXPECT_NE(download.err.find("Данных больше нет"), std::string::npos) << download.err;
    EXPECT_EQ(gateway.State().LogBlockCount(), 0U);

    const auto all = tulvo({"calllog", "export", "-"});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(Calls(all.out).size(), 13U);

    const auto filtered = tulvo({"calllog", "export", dir.File("r.xls"), "--number", "044*",
                                 "--from", "03.12.2026", "--to", "2026-12-05"});
    EXPECT_EQ(filtered.exitCode, 0) << filtered.err;
    std::ifstream in(dir.File("r.xls"), std::ios::binary);
    const std::string report{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(Calls(report), (std::vector<std::string>{"0 0442001122", "5 0443334455"}));

    const auto refused = tulvo({"calllog", "clear"});
    EXPECT_EQ(refused.exitCode, 1);
    const auto cleared = tulvo({"calllog", "clear", "--yes", "--call-type", "9"});
    EXPECT_EQ(cleared.exitCode, 0) << cleared.err;
    // Item 9 takes the codes 9 and 200 of the demonstration log, not 8 and 10.
    EXPECT_EQ(Calls(tulvo({"calllog", "export", "-"}).out).size(), 11U);

    EXPECT_EQ(tulvo({"calllog", "export"}).exitCode, 2);
    EXPECT_EQ(tulvo({"calllog", "export", "-", "--from", "31.02.2026"}).exitCode, 2);
    EXPECT_EQ(tulvo({"calllog", "download", "extra", "--port", "x"}).exitCode, 2);
}

}  // namespace
}  // namespace tulvo
