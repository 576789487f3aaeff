#include "actions/call_log_download.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "calllog/call_log_file.h"
#include "calllog/call_log_storage.h"
#include "calllog/call_log_table.h"
#include "link/port_most.h"
#include "model/t_data.h"
#include "sim/gateway.h"
#include "store/temp_dir.h"
#include "support/recording_operator.h"
#include "sync/transfer_progress.h"

namespace tulvo {
namespace {

using sim::FaultRule;
using Choice = Operator::Choice;
using Strings = std::vector<std::string>;

// A record whose dialled number says where it came from ("b1r2").
sim::Bytes Record(int block, int record) {
    sim::Bytes bytes(65, 0);
    bytes[1] = 6;
    const std::string tel = "b" + std::to_string(block) + "r" + std::to_string(record);
    std::copy(tel.begin(), tel.end(), bytes.begin() + 10);
    bytes[53] = 8;
    bytes[54] = 12;
    bytes[55] = 26;
    return bytes;
}

Strings Numbers(std::span<const CallLogRow> rows) {
    Strings numbers;
    for (const CallLogRow& row : rows) {
        numbers.emplace_back(row.Text(CallLogField::TelNum).value_or("null"));
    }
    return numbers;
}

struct Scenario {
    const char* name;
    std::optional<FaultRule> fault;
    std::vector<Choice> answers;
    bool dataDirBlocked;
    Strings table;
    Strings file;
    std::size_t blocksLeft;
    Strings messages;  // everything the operator was shown or asked, in order
};

TEST(CallLogDownload, KeepsEveryErasedCallOnDiskWhateverTheOperatorAnswers) {
    const FaultRule secondRecordFails{.kind = FaultRule::Kind::Status,
                                      .command = 0x10,
                                      .fromIndex = 1,
                                      .toIndex = 1,
                                      .count = 1,
                                      .status = 1};
    FaultRule fourthRecordFails = secondRecordFails;  // block 2, record 2
    fourthRecordFails.count = -1;
    const Strings all{"b1r1", "b1r2", "b1r3", "b2r1", "b2r2"};
    const Strings done{"Данных больше нет"};
    const std::string recordError = "Ошибка чтения базы соединений!";
    const Scenario scenarios[] = {
        {"clean", std::nullopt, {}, false, all, all, 0, done},
        {"ignore",
         secondRecordFails,
         {Choice::Ignore},
         false,
         {"b1r1", "b1r3", "b2r1", "b2r2"},
         {"b1r1", "b1r3", "b2r1", "b2r2"},
         0,
         {recordError, "Данных больше нет"}},
        // A block that stays in the gateway leaves no row behind: it is read
        // whole next time.
        {"cancel",
         secondRecordFails,
         {Choice::Cancel},
         false,
         {},
         {},
         2,
         {recordError,
          "Чтение прервано. Блок не стёрт и будет считан снова при следующем чтении."}},
        // The second record of each block fails: Ignore in block 1, Abort in block 2.
        {"abort in the second block",
         fourthRecordFails,
         {Choice::Ignore, Choice::Abort},
         false,
         {"b1r1", "b1r3"},
         {"b1r1", "b1r3"},
         1,
         {recordError, recordError}},
        {"erase fails",
         FaultRule{.kind = FaultRule::Kind::Silence, .command = 0x13},
         {},
         false,
         {"b1r1", "b1r2", "b1r3"},
         {"b1r1", "b1r2", "b1r3"},
         2,
         {"Невозможно стереть блок!"}},
        // Each erase request erases a block: a lost or late reply must not
        // make the next block go unread.
        {"erase reply damaged",
         FaultRule{.kind = FaultRule::Kind::BadHeader, .command = 0x13, .count = 1},
         {},
         false,
         all,
         all,
         0,
         done},
        {"erase reply late",
         FaultRule{.kind = FaultRule::Kind::Delay,
                   .command = 0x13,
                   .count = 1,
                   .delay = std::chrono::milliseconds(200)},
         {},
         false,
         all,
         all,
         0,
         done},
        {"file cannot be written",
         std::nullopt,
         {},
         true,
         {},
         {},
         2,
         {"Невозможно сохранить файл базы звонков"}},
    };
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        sim::Gateway gateway;
        gateway.State().SetDevName("GATE0001");
        gateway.State().AddLogBlock({Record(1, 1), Record(1, 2), Record(1, 3)});
        gateway.State().AddLogBlock({Record(2, 1), Record(2, 2)});
        if (s.fault) {
            gateway.Faults().Add(*s.fault);
        }
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        test::TempDir dir;
        const std::string folder = dir.Path() + "/data";
        if (s.dataDirBlocked) {
            std::ofstream(folder) << "in the way";
        }
        TPortMost port(LinkTiming::Fast(20));
        test::RecordingOperator op;
        op.abortIgnoreCancelAnswers.assign(s.answers.begin(), s.answers.end());
        const auto image = std::make_unique<TData>();
        CallLogStorage storage(folder);
        CallLogTable table;
        Strings statuses;
        CallLogDownload download({port, op, [&] { return gateway.DevicePath(); }}, *image, storage);
        const auto outcome = download.Run(
            table,
            [](const GatewayActions::Job& job) {
                TransferProgress progress;
                return job(progress);
            },
            [&](const std::string& text) { statuses.push_back(text); });

        EXPECT_TRUE(outcome.opened);
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(Numbers(table.Rows()), s.table);
        for (std::size_t i = 0; i < table.Size(); ++i) {
            EXPECT_EQ(table.Row(i).Int(CallLogField::N), static_cast<int>(i));
            EXPECT_EQ(table.Row(i).Text(CallLogField::DeviceName),
                      std::optional<std::string_view>("GATE0001"));
        }
        CallLogTable saved;
        test::RecordingOperator loadOp;
        if (!s.dataDirBlocked) {
            storage.Load(saved, loadOp);
        }
        EXPECT_EQ(Numbers(saved.Rows()), s.file);
        EXPECT_EQ(gateway.State().LogBlockCount(), s.blocksLeft);
        Strings shown = op.Texts();
        ASSERT_EQ(shown.size(), s.messages.size()) << ::testing::PrintToString(shown);
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].rfind(s.messages[i], 0), 0U) << shown[i];
        }
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.front(), "Читаем 1 блок");
        EXPECT_EQ(statuses.back() == "Чтение завершено!", !outcome.aborted);
    }
}

TEST(CallLogDownload, ClosedPortChangesNothing) {
    TPortMost port(LinkTiming::Fast(20));
    test::RecordingOperator op;
    const auto image = std::make_unique<TData>();
    test::TempDir dir;
    CallLogStorage storage(dir.Path());
    CallLogTable table;
    const auto outcome = CallLogDownload({port, op, [] { return std::string(); }}, *image, storage)
                             .Run(table, [](const GatewayActions::Job&) { return true; }, {});
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(op.Texts(), Strings{"Невозможно открыть порт!"});
    EXPECT_FALSE(std::filesystem::exists(storage.Path()));
}

}  // namespace
}  // namespace tulvo
