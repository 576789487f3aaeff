#include <sys/stat.h>

#include <QCheckBox>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>

#include "app/long_lived_windows.h"
#include "main_form_fixture.h"
#include "ui/calllog/form6.h"
#include "ui/shutdown_gate.h"

namespace tulvo::test {
namespace {

class LongLivedWindowsTest : public MainFormTest {
  protected:
    void TearDown() override {
        windows_.reset();
        MainFormTest::TearDown();
    }

    LongLivedWindows& Windows() {
        if (!windows_) {
            windows_ = std::make_unique<LongLivedWindows>(*context_, gate_);
        }
        return *windows_;
    }

    // Runs an action that shows a dialog modally; `inside` runs on the
    // dialog, which is then closed.
    static void OpenAndClose(const std::function<void()>& action,
                             const std::function<void(QDialog&)>& inside = {}) {
        QTimer::singleShot(0, [inside] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (inside) {
                inside(*dialog);
            }
            dialog->reject();
        });
        action();
    }

    ShutdownGate gate_;
    std::unique_ptr<LongLivedWindows> windows_;
};

// No dialog is made at start-up; each is made when first opened and is the
// same window every time after.
TEST_F(LongLivedWindowsTest, DialogIsMadeOnFirstOpenAndKept) {
    const std::pair<const char*, void (TForm1::*)()> cases[] = {
        {"parameters", &TForm1::N5Click},
        {"black list", &TForm1::N15Click},
        {"total limit", &TForm1::N7Click},
        {"call log", &TForm1::N14Click},
    };
    TForm1& main = Windows().Main();
    EXPECT_TRUE(main.findChildren<QDialog*>().isEmpty());
    for (const auto& [name, open] : cases) {
        SCOPED_TRACE(name);
        QPointer<QDialog> first;
        QPointer<QDialog> again;
        OpenAndClose([&] { (main.*open)(); }, [&](QDialog& dialog) { first = &dialog; });
        OpenAndClose([&] { (main.*open)(); }, [&](QDialog& dialog) { again = &dialog; });
        EXPECT_NE(first, nullptr);
        EXPECT_EQ(first, again);
    }
}

// A call-log file that cannot be read is still told at start-up: right after
// the main window's first paint, with the call-log window made then.
TEST_F(LongLivedWindowsTest, UnreadableCallLogIsToldOnceTheWindowIsOnScreen) {
    ASSERT_EQ(::mkfifo((dir_ / "DataBilling.dbf").c_str(), 0600), 0);
    LongLivedWindows& windows = Windows();
    windows.AfterFirstPaint([&windows] { windows.FinishStartUp(); });
    EXPECT_TRUE(op_.entries.empty());

    windows.Main().show();

    EXPECT_TRUE(QTest::qWaitFor([&] { return !op_.entries.empty(); }, 5000));
    ASSERT_EQ(op_.entries.size(), 1U);
    EXPECT_NE(op_.entries[0].text.find("Невозможно открыть файл базы звонков"), std::string::npos);
    EXPECT_EQ(windows.Main().findChildren<TForm6*>().size(), 1);
}

// The parameters dialog's help option is in the store after each run,
// whether or not the dialog was opened.
TEST_F(LongLivedWindowsTest, ParametersHelpOptionIsStoredAtTheEnd) {
    struct Case {
        const char* name;
        bool open;
        const char* stored;
    };
    // One store over both runs: the first gives the option its default.
    for (const Case c :
         {Case{"never opened", false, "\"DSHelpEnable\"=dword:00000001"},
          Case{"opened, help turned off", true, "\"DSHelpEnable\"=dword:00000000"}}) {
        SCOPED_TRACE(c.name);
        Windows();
        if (c.open) {
            OpenAndClose([this] { Windows().Main().N5Click(); },
                         [](QDialog& dialog) {
                             dialog.findChild<QCheckBox*>(QStringLiteral("CheckBox4"))->click();
                         });
        }
        windows_.reset();
        EXPECT_NE(RegistryText().find(c.stored), std::string::npos) << RegistryText();
    }
}

}  // namespace
}  // namespace tulvo::test
