#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <memory>

#include "calllog/call_log_storage.h"
#include "main_form_fixture.h"
#include "model/cp1251.h"
#include "model/t_data.h"
#include "sim/demo_call_log.h"
#include "sync_gateway_fixture.h"
#include "ui/calllog/call_log_model.h"
#include "ui/calllog/form6.h"
#include "ui/main/form1.h"

namespace tulvo {
namespace {

class CallLogWindowTest : public test::SyncGatewayFixture {
  protected:
    void SetUp() override {
        for (auto& block : sim::DemoCallLogBlocks()) {
            gateway.State().AddLogBlock(std::move(block));
        }
        test::SyncGatewayFixture::SetUp();
        AbInfoRecord info = image->AbInfo(1);
        info.SetFLAG(AbInfoRecord::kActivation);
        info.SetID(1);
        image->Name(1).AbFNS = Utf8ToCp1251("Иванов");
    }

    std::unique_ptr<TForm6> Window() {
        return std::make_unique<TForm6>(*image, op, Access(), folder());
    }
    std::string folder() const { return (temp.path() + "/data").toStdString(); }

    template <typename T>
    static T* Find(QWidget& window, const char* name) {
        auto* child = window.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    std::unique_ptr<TData> image = std::make_unique<TData>();
};

TEST_F(CallLogWindowTest, DownloadFilterExportEditAndClear) {
    auto window = Window();
    window->show();
    EXPECT_EQ(window->ProgressBar().maximum(), 299);
    Find<QToolButton>(*window, "SpeedButton7")->click();
    EXPECT_EQ(window->Table().Size(), 13U);
    EXPECT_EQ(window->Model().rowCount(), 13);
    EXPECT_EQ(gateway.State().LogBlockCount(), 0U);
    EXPECT_EQ(window->StatusText(), QStringLiteral("Чтение завершено!"));
    EXPECT_EQ(op.Texts(), std::vector<std::string>{"Данных больше нет"});
    EXPECT_EQ(window->Model().index(0, 2).data().toString(), QStringLiteral("Иванов"));

    // Call type "Нет связи" through the filter panel; typing stops after a '*'.
    Find<QToolButton>(*window, "SpeedButton1")->click();
    Find<QComboBox>(*window, "ComboBox1")->setCurrentIndex(8);
    Find<QCheckBox>(*window, "CheckBox1")->setChecked(true);
    auto* number = Find<QLineEdit>(*window, "Edit1");
    QTest::keyClicks(number, "a04*5");
    EXPECT_EQ(number->text(), QStringLiteral("04*"));
    Find<QPushButton>(*window, "SpeedButton4")->click();
    ASSERT_EQ(window->Model().rowCount(), 1);
    EXPECT_EQ(window->Model().index(0, 1).data().toString(), QStringLiteral("Нет связи"));
    QTest::keyClick(number, Qt::Key_Backspace);
    EXPECT_EQ(number->text(), QString());

    const QString report = temp.path() + "/report.xls";
    window->SetPathChooser([&] { return report; });
    Find<QToolButton>(*window, "SpeedButton2")->click();
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("\r\n"), 1);  // the header and the one shown row
    // The storage file itself is never the report: it holds the erased calls.
    const std::string storage = folder() + "/DataBilling.dbf";
    const auto before = std::filesystem::file_size(storage);
    window->SetPathChooser([&] { return QString::fromStdString(storage); });
    op.entries.clear();
    Find<QToolButton>(*window, "SpeedButton2")->click();
    EXPECT_EQ(std::filesystem::file_size(storage), before);
    ASSERT_EQ(op.entries.size(), 1U);
    EXPECT_EQ(op.entries[0].text, "Невозможно создать файл отчёта " + storage);

    // An edit in the grid is saved when the window closes, with '?' for what
    // Windows-1251 cannot hold.
    EXPECT_TRUE(window->Model().setData(window->Model().index(0, 2), QStringLiteral("Пётр 😀"),
                                        Qt::EditRole));
    window->reject();
    window.reset();
    window = Window();
    EXPECT_EQ(window->Model().index(8, 2).data().toString(), QStringLiteral("Пётр ?"));

    // Clearing with a filter on deletes only the rows it shows.
    op.yesNoAnswers = {true, false};
    window->SpeedButton1Click();
    Find<QComboBox>(*window, "ComboBox1")->setCurrentIndex(9);
    Find<QCheckBox>(*window, "CheckBox1")->setChecked(true);
    window->SpeedButton4Click();
    EXPECT_EQ(window->Model().rowCount(), 2);  // codes 9 and 200, not 8 and 10
    window->SpeedButton5Click();
    EXPECT_EQ(window->Table().Size(), 13U);  // the second question was answered No
    op.yesNoAnswers = {true, true};
    window->SpeedButton5Click();
    EXPECT_EQ(window->Model().rowCount(), 0);
    window->SpeedButton9Click();
    EXPECT_EQ(window->Model().rowCount(), 11);
    window.reset();
    EXPECT_EQ(Window()->Table().Size(), 11U);

    // Calls another program saved while the window was hidden show when it opens.
    window = Window();
    std::vector<CallLogRow> more(2);
    ASSERT_TRUE(CallLogStorage(folder()).AppendRows(more, op));
    window->show();
    EXPECT_EQ(window->Model().rowCount(), 13);
}

class CallLogMenuTest : public test::MainFormTest {};

TEST_F(CallLogMenuTest, MenuItemIsEnabledOnlyWithTheWindowAndShowsItModally) {
    EXPECT_FALSE(Find<QAction>("N14")->isEnabled());
    QTemporaryDir folder;
    TForm6 window(image_, op_, Form().Device(), folder.path().toStdString(), &Form());
    Form().SetCallLogWindow([&window] { return &window; });
    ASSERT_TRUE(Find<QAction>("N14")->isEnabled());
    QString opened;
    QTimer::singleShot(0, &Form(), [&opened] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            opened = modal->windowTitle();
            modal->close();
        }
    });
    Find<QAction>("N14")->trigger();
    EXPECT_EQ(opened, QStringLiteral("База звонков"));
    EXPECT_TRUE(op_.Texts().empty());
}

}  // namespace
}  // namespace tulvo
