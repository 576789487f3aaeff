#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>

using namespace std::string_literals;

#include "calllog/call_log_file.h"
#include "calllog/call_log_report.h"
#include "calllog/call_log_storage.h"
#include "model/cp1251.h"
#include "store/temp_dir.h"
#include "support/recording_operator.h"

namespace tulvo {
namespace {

using F = CallLogField;

// The two-row example file, with · for a space, ⇥ for TAB and ¶ for CR LF.
std::string Visible(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "·") == 0) {
            out += ' ';
            i += 1;
        } else if (text.compare(i, 3, "⇥") == 0) {
            out += '\t';
            i += 2;
        } else if (text.compare(i, 2, "¶") == 0) {
            out += "\r\n";
            i += 1;
        } else if (text[i] != '\n') {
            out += text[i];
        }
    }
    return Utf8ToCp1251(out);
}

const char* const kExample = R"(·@@FILE··VERSION@@·⇥·251·¶
·@@TABLEDEF··START@@·¶
·N=AutoInc,0,"N","",10,Data,""·¶
·Flag=Integer,0,"Flag","",10,Data,""·¶
·CallType=Integer,0,"CallType","",10,Data,""·¶
·IdCodOutH=Integer,0,"IdCodOutH","",10,Data,""·¶
·IdCodOutL=Integer,0,"IdCodOutL","",10,Data,""·¶
·IdCodInH=Integer,0,"IdCodInH","",10,Data,""·¶
·IdCodInL=Integer,0,"IdCodInL","",10,Data,""·¶
·CallTypeStr=String,26,"CallTypeStr","",26,Data,""·¶
·IdOutStr=String,45,"IdOutStr","",45,Data,""·¶
·IdInStr=String,45,"IdInStr","",45,Data,""·¶
·TelNum=String,19,"TelNum","",19,Data,""·¶
·TimeConnect=Time,0,"TimeConnect","",10,Data,""·¶
·Date=Date,0,"Date","",10,Data,""·¶
·Time=Time,0,"Time","",10,Data,""·¶
·InTelNum=String,19,"InTelNum","",19,Data,""·¶
·DeviceName=String,9,"DeviceName","",9,Data,""·¶
·@@INDEXDEF··START@@·¶
·@@INDEXDEF··END@@·¶
·@@TABLEDEF··END@@·¶
·N·⇥·Flag·⇥·CallType·⇥·IdCodOutH·⇥·IdCodOutL·⇥·IdCodInH·⇥·IdCodInL·⇥·CallTypeStr·⇥·IdOutStr·⇥·IdInStr·⇥·TelNum·⇥·TimeConnect·⇥·Date·⇥·Time·⇥·InTelNum·⇥·DeviceName·⇥¶
·0·⇥·0·⇥·0·⇥·1·⇥·57920·⇥·0·⇥·0·⇥·Мобильный··->··FXO·⇥·Петров·⇥·Неизвестный·⇥·2345678·⇥·0:01:05·⇥·08/12/2026·⇥·9:30:15·⇥·80501234569·⇥·GATE0001·⇥¶
·1·⇥·0·⇥·6·⇥·0·⇥·0·⇥·1·⇥·57920·⇥·FXO->Мобильный·⇥·Неизвестный·⇥·Петров·⇥··⇥·0:12:40·⇥·08/12/2026·⇥·14:02:51·⇥··⇥·GATE0001·⇥¶
)";

std::string Commas(std::string text) {
    std::replace(text.begin(), text.end(), '\t', ',');
    return text;
}

CallLogRow ExampleRow(int type, int outH, int outL, int inH, int inL, const char* typeText,
                      const char* out, const char* in, const char* tel, CallTime connect,
                      CallTime time, const char* inTel) {
    CallLogRow row;
    row.SetInt(F::Flag, 0);
    row.SetInt(F::CallType, type);
    row.SetInt(F::IdCodOutH, outH);
    row.SetInt(F::IdCodOutL, outL);
    row.SetInt(F::IdCodInH, inH);
    row.SetInt(F::IdCodInL, inL);
    row.SetTextUtf8(F::CallTypeStr, typeText);
    row.SetTextUtf8(F::IdOutStr, out);
    row.SetTextUtf8(F::IdInStr, in);
    row.SetTextUtf8(F::TelNum, tel);
    row.SetTime(F::TimeConnect, connect);
    row.SetDate({2026, 12, 8});
    row.SetTime(F::Time, time);
    row.SetTextUtf8(F::InTelNum, inTel);
    row.SetTextUtf8(F::DeviceName, "GATE0001");
    return row;
}

CallLogTable ExampleTable() {
    CallLogTable table;
    table.Append(ExampleRow(0, 1, 57920, 0, 0, "Мобильный -> FXO", "Петров", "Неизвестный",
                            "2345678", CallTime::Of(0, 1, 5), CallTime::Of(9, 30, 15),
                            "80501234569"));
    table.Append(ExampleRow(6, 0, 0, 1, 57920, "FXO->Мобильный", "Неизвестный", "Петров", "",
                            CallTime::Of(0, 12, 40), CallTime::Of(14, 2, 51), ""));
    return table;
}

TEST(CallLogFile, WritesTheTwoRowExampleByteForByte) {
    const CallLogTable table = ExampleTable();
    EXPECT_EQ(call_log_file::Format(table.Rows()), Visible(kExample));
}

TEST(CallLogFile, ReadsTheTwoRowExampleIntoTheSameRows) {
    CallLogTable loaded;
    std::string error;
    ASSERT_TRUE(call_log_file::Parse(Visible(kExample), loaded, error)) << error;
    const CallLogTable expected = ExampleTable();
    ASSERT_EQ(loaded.Size(), 2U);
    EXPECT_EQ(loaded.Row(0), expected.Row(0));
    EXPECT_EQ(loaded.Row(1), expected.Row(1));
    EXPECT_EQ(loaded.Row(1).Text(F::TelNum), std::optional<std::string_view>(""));
    EXPECT_EQ(loaded.NextN(), 2);
}

TEST(CallLogFile, KeepsAwkwardValuesAndNullsApartFromEmptyTexts) {
    CallLogTable table;
    CallLogRow row;
    const std::string awkward = " a  b %n%%\r\nc\0d "s;
    row.SetText(F::IdOutStr, awkward);
    row.SetText(F::IdInStr, std::string(45, ' '));
    row.SetText(F::TelNum, "");
    row.SetTime(F::TimeConnect, CallTime::Of(18, 12, 15));
    row.SetDate({1999, 2, 28});
    table.Append(row);
    table.Append(CallLogRow{});  // every value but N null

    const std::string file = call_log_file::Format(table.Rows());
    EXPECT_NE(file.find("\t" + std::string(92, ' ') + "\t"), std::string::npos);
    EXPECT_NE(file.find("\t  \t"), std::string::npos);             // the empty TelNum
    EXPECT_NE(file.find(" 1 \t\t\t\t\t\t\t"), std::string::npos);  // the null row

    CallLogTable loaded;
    std::string error;
    ASSERT_TRUE(call_log_file::Parse(file, loaded, error)) << error;
    ASSERT_EQ(loaded.Size(), 2U);
    EXPECT_EQ(loaded.Row(0), table.Row(0));
    EXPECT_EQ(loaded.Row(1), table.Row(1));
    EXPECT_EQ(loaded.Row(0).Text(F::IdOutStr), std::optional<std::string_view>(awkward));
    EXPECT_TRUE(loaded.Row(1).IsNull(F::TelNum));
    EXPECT_FALSE(loaded.Row(0).IsNull(F::TelNum));
}

// A file read as it arrives gives the same rows, wherever its pieces end:
// inside an item, between the two spaces of a folded one, inside a run of
// line breaks, or with no line break after the last row.
TEST(CallLogFile, RowsReadInPiecesOfAnySizeAreTheSame) {
    CallLogRow row;
    row.SetText(F::IdOutStr, " a  b %n%%");
    row.SetTime(F::Time, CallTime::Of(9, 5, 0));
    CallLogTable table = ExampleTable();
    table.Append(row);
    table.Append(CallLogRow{});
    const std::string example = Visible(kExample);
    const std::string unended = example.substr(0, example.size() - 2);
    for (const std::string& file :
         {call_log_file::Format(table.Rows()), unended + "\n\0\n"s, unended}) {
        CallLogTable whole;
        std::string error;
        ASSERT_TRUE(call_log_file::Parse(file, whole, error)) << error;
        for (std::size_t size = 1; size <= file.size(); ++size) {
            std::vector<CallLogRow> rows;
            call_log_file::RowStream stream([&rows](const CallLogRow& r) { rows.push_back(r); });
            for (std::size_t at = 0; at < file.size(); at += size) {
                ASSERT_TRUE(stream.Feed(std::string_view(file).substr(at, size), error)) << error;
            }
            ASSERT_TRUE(stream.Finish(error)) << error;
            ASSERT_EQ(rows.size(), whole.Size()) << "pieces of " << size;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                EXPECT_EQ(rows[i], whole.Row(i)) << "pieces of " << size << ", row " << i;
            }
        }
    }
}

TEST(CallLogFile, CutsTextsToTheirFieldAndReplacesWhatCp1251CannotHold) {
    CallLogRow row;
    row.SetTextUtf8(F::DeviceName, "GATEWAY-NUMBER-ONE");
    row.SetTextUtf8(F::IdOutStr, "Пётр 😀 €");
    EXPECT_EQ(row.Text(F::DeviceName), std::optional<std::string_view>("GATEWAY-N"));
    EXPECT_EQ(Cp1251ToUtf8(*row.Text(F::IdOutStr)), "Пётр ? €");
}

TEST(CallLogStorage, CounterSurvivesClearingButNotARestartWithAnEmptyFile) {
    test::TempDir dir;
    test::RecordingOperator op;
    CallLogStorage storage(dir.Path() + "/new/folder");
    CallLogTable table;
    EXPECT_TRUE(storage.Load(table, op));  // no file at the first start: no message
    EXPECT_TRUE(op.entries.empty());
    for (int i = 0; i < 5; ++i) {
        table.Append(CallLogRow{});
    }
    table.DeleteIf([](const CallLogRow&) { return true; });
    EXPECT_EQ(table.Append(CallLogRow{}), 0U);
    EXPECT_EQ(table.Row(0).Int(F::N), 5);
    ASSERT_TRUE(storage.Save(table, op));

    CallLogTable restarted;
    ASSERT_TRUE(storage.Load(restarted, op));
    EXPECT_EQ(restarted.NextN(), 6);
    restarted.DeleteIf([](const CallLogRow&) { return true; });
    ASSERT_TRUE(storage.Save(restarted, op));
    ASSERT_TRUE(storage.Load(restarted, op));
    EXPECT_EQ(restarted.NextN(), 0);

    std::ofstream(storage.Path(), std::ios::trunc).close();  // a 0-byte file
    EXPECT_TRUE(storage.Load(restarted, op));
    EXPECT_TRUE(op.entries.empty());
}

TEST(CallLogStorage, SetsAnUnparsableFileAsideInsteadOfOverwritingIt) {
    const struct {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"unknown type", Visible("·@@TABLEDEF··START@@·¶·N=Counter,0·¶·@@TABLEDEF··END@@·¶"),
         "Неизвестный тип поля (Counter) в файле базы звонков"},
        {"bad date", Visible(kExample) + " 2 \t\t\t\t\t\t\t\t\t\t\t\t 31/04/2026 \t\r\n",
         "Недопустимое значение (31/04/2026) поля Date"},
        {"no definitions", "hello\r\n", "нет описания полей"},
        {"negative time", Visible(kExample) + " 2 \t\t\t\t\t\t\t\t\t\t\t -1:00:00 \t\r\n",
         "Недопустимое значение (-1:00:00) поля TimeConnect"},
        // Lines split by commas match the header's N alone.
        {"commas", Commas(Visible(kExample)), "заголовок не называет полей"},
        {"short row", Visible(kExample) + " 2 \t 0 \t\r\n", "содержит 2 значений вместо 16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        test::RecordingOperator op;
        CallLogStorage storage(dir.Path());
        std::ofstream(storage.Path(), std::ios::binary) << c.bytes;
        CallLogTable table;
        table.Append(CallLogRow{});
        EXPECT_FALSE(storage.Load(table, op));
        EXPECT_TRUE(table.Empty());
        EXPECT_EQ(table.NextN(), 0);
        ASSERT_EQ(op.entries.size(), 1U);
        EXPECT_NE(op.entries[0].text.find(c.error), std::string::npos) << op.entries[0].text;
        EXPECT_FALSE(std::filesystem::exists(storage.Path()));
        int aside = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string kept{std::istreambuf_iterator<char>(in), {}};
            EXPECT_EQ(kept, c.bytes);
            EXPECT_NE(op.entries[0].text.find(entry.path().string()), std::string::npos);
            ++aside;
        }
        EXPECT_EQ(aside, 1);
    }
}

// "N:TelNum" of each row, in order.
std::vector<std::string> Calls(std::span<const CallLogRow> rows) {
    std::vector<std::string> calls;
    for (const CallLogRow& row : rows) {
        calls.push_back(std::to_string(row.Int(F::N).value_or(-1)) + ":" +
                        std::string(row.Text(F::TelNum).value_or("")));
    }
    return calls;
}

// Another program changes the file between this table's load and its save:
// the save applies this table's own change to what the file holds then.
TEST(CallLogStorage, SaveAppliesItsOwnChangeToWhatAnotherProgramSaved) {
    using Change = std::function<void(CallLogTable&)>;
    const auto add = [](std::vector<std::string> numbers) -> Change {
        return [numbers](CallLogTable& table) {
            for (const std::string& number : numbers) {
                CallLogRow row;
                row.SetText(F::TelNum, number);
                table.Append(row);
            }
        };
    };
    const auto drop = [](int n) -> Change {
        return [n](CallLogTable& table) {
            table.DeleteIf([n](const CallLogRow& row) { return n < 0 || row.Int(F::N) == n; });
        };
    };
    const auto edit = [](int n, std::string number) -> Change {
        return [n, number](CallLogTable& table) {
            for (std::size_t i = 0; i < table.Size(); ++i) {
                if (table.Row(i).Int(F::N) == n) {
                    CallLogRow row = table.Row(i);
                    row.SetText(F::TelNum, number);
                    table.SetRow(i, row);
                }
            }
        };
    };
    using Calls_ = std::vector<std::string>;
    const struct {
        const char* name;
        Change other;
        Change own;
        Calls_ file;
    } cases[] = {
        // Both downloaded after "0:a 1:b": this program's row moves past the other's.
        {"both download", add({"o1", "o2"}), add({"m1"}), {"0:a", "1:b", "2:o1", "3:o2", "4:m1"}},
        {"edit after a download", add({"o1"}), edit(1, "B"), {"0:a", "1:B", "2:o1"}},
        {"clearing after a download", add({"o1"}), drop(-1), {"2:o1"}},
        {"edit of a row the other cleared", drop(1), edit(1, "B"), {"0:a", "1:B"}},
        {"both clear the same row", drop(0), drop(0), {"1:b"}},
        {"nothing of its own", add({"o1"}), [](CallLogTable&) {}, {"0:a", "1:b", "2:o1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        test::RecordingOperator op;
        {
            CallLogStorage first(dir.Path());
            CallLogTable start;
            add({"a", "b"})(start);
            ASSERT_TRUE(first.Save(start, op));
        }
        CallLogStorage mine(dir.Path());
        CallLogStorage theirs(dir.Path());
        CallLogTable table;
        CallLogTable other;
        ASSERT_TRUE(mine.Load(table, op));
        ASSERT_TRUE(theirs.Load(other, op));
        c.other(other);
        ASSERT_TRUE(theirs.Save(other, op));
        c.own(table);
        ASSERT_TRUE(mine.Save(table, op));

        CallLogTable saved;
        ASSERT_TRUE(CallLogStorage(dir.Path()).Load(saved, op));
        EXPECT_EQ(Calls(saved.Rows()), c.file);
        EXPECT_EQ(Calls(table.Rows()), c.file);  // the table shows the file
        EXPECT_TRUE(op.entries.empty());
    }
}

TEST(CallLogStorage, FailedSaveNamesThePathAndKeepsTheRows) {
    test::TempDir dir;
    test::RecordingOperator op;
    std::filesystem::create_directory(dir.File("DataBilling.dbf"));  // a folder in the way
    CallLogStorage storage(dir.Path());
    CallLogTable table = ExampleTable();
    EXPECT_FALSE(storage.Save(table, op));
    ASSERT_EQ(op.entries.size(), 1U);
    EXPECT_EQ(op.entries[0].text.rfind(
                  "Невозможно сохранить файл базы звонков " + dir.File("DataBilling.dbf"), 0),
              0U);
    EXPECT_EQ(table.Size(), 2U);
}

TEST(CallLogReport, PadsColumnsAndEndsWithoutALineBreak) {
    const std::string header = Utf8ToCp1251(
        "№     \tТип звонка         \tИсходящий \tНомер звонящего    \tВходящий  \t"
        "Набранный номер    \tВремя соединения  \tДата    \tВремя   \tНазв. у-ва");
    CallLogTable empty;
    EXPECT_EQ(BuildCallLogReport(empty, {}), header);

    const CallLogTable table = ExampleTable();
    const std::string report =
        BuildCallLogReport(table, [](const CallLogRow& row) { return *row.Int(F::N) == 1; });
    EXPECT_EQ(report,
              header + "\r\n" +
                  Utf8ToCp1251("1     \tFXO->Мобильный     \tНеизвестный\t                   \t"
                               "Петров    \t                   \t0:12:40           \t08.12.2026\t"
                               "14:02:51\tGATE0001"));

    test::TempDir dir;
    test::RecordingOperator op;
    const std::string path = dir.File("missing/report.xls");
    EXPECT_FALSE(WriteCallLogReport(path, table, {}, dir.File("DataBilling.dbf"), op));
    ASSERT_EQ(op.entries.size(), 1U);
    EXPECT_EQ(op.entries[0].text, "Невозможно создать файл отчёта " + path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace tulvo
