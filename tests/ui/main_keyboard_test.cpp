#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

#include "main_form_fixture.h"

namespace tulvo::test {
namespace {

using Answer = Operator::Answer;

class KeyboardTest : public MainFormTest {
  protected:
    // The main window, active, so its shortcuts take keys.
    TForm1& ActiveForm() {
        TForm1& form = Form();
        form.show();
        form.activateWindow();
        QApplication::setActiveWindow(&form);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }
    QLineEdit* Name() { return Find<QLineEdit>("Edit1"); }
    QToolButton* Ok() { return Find<QToolButton>("SpeedButton1"); }
    // Slot 1 holds "Ivanov"; the editor shows it with "X" typed after it.
    void TypeIntoSlotOne() {
        PutSubscriber(1, 1, "Ivanov");
        ClickRow(1);
        Name()->setFocus();
        Name()->end(false);
        QTest::keyClicks(Name(), "X");
        ASSERT_TRUE(Ok()->isEnabled());
    }
};

// The character after a single '&', lower-cased; none when there is none.
QChar Mnemonic(const QString& text) {
    const int at = text.indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text.at(at + 1).toLower() : QChar();
}

TEST_F(KeyboardTest, EveryMenuAndItemHasAMnemonicOfItsOwn) {
    const auto expectOwnMnemonics = [](const QList<QAction*>& actions, const QString& where) {
        QSet<QChar> seen;
        for (const QAction* action : actions) {
            if (action->isSeparator()) {
                continue;
            }
            const QChar key = Mnemonic(action->text());
            EXPECT_FALSE(key.isNull()) << action->text().toStdString();
            EXPECT_FALSE(seen.contains(key))
                << where.toStdString() << ": " << action->text().toStdString();
            seen.insert(key);
        }
    };
    auto* bar = Find<QMenuBar>("MainMenu1");
    expectOwnMnemonics(bar->actions(), "menu bar");
    for (const QAction* top : bar->actions()) {
        if (top->menu() != nullptr) {
            expectOwnMnemonics(top->menu()->actions(), top->text());
        }
    }
    expectOwnMnemonics({Form().findChild<QAction*>("N900"), Form().findChild<QAction*>("N901")},
                       "tray");
}

TEST_F(KeyboardTest, ShortcutsReachTheirActions) {
    std::vector<bool> chosen;  // save = true, load = false
    Form().SetPathChooser([&chosen](bool save) {
        chosen.push_back(save);
        return QString();
    });
    auto* help = Find<QCheckBox>("CheckBox8");
    const bool helpBefore = help->isChecked();
    TForm1& form = ActiveForm();

    QTest::keyClick(&form, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(chosen, (std::vector<bool>{true, false}));

    QTest::keyClick(&form, Qt::Key_F1);
    EXPECT_NE(help->isChecked(), helpBefore);
    EXPECT_NE(Find<QWidget>("GroupBox3")->isVisible(), helpBefore);

    QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

// Enter in the editor is "Ок", Esc is "Отмена" back to the slot's stored values.
TEST_F(KeyboardTest, EnterAppliesAndEscRevertsTheEditor) {
    const struct {
        Qt::Key key;
        const char* stored;
        const char* shown;
    } cases[] = {
        {Qt::Key_Return, "IvanovX", "IvanovX"},
        {Qt::Key_Enter, "IvanovX", "IvanovX"},
        {Qt::Key_Escape, "Ivanov", "Ivanov"},
    };
    for (const auto& c : cases) {
        TypeIntoSlotOne();
        ActiveForm();
        QTest::keyClick(Name(), c.key);
        EXPECT_EQ(image_.Name(1).AbFNS, c.stored) << c.key;
        EXPECT_EQ(Name()->text().toStdString(), c.shown) << c.key;
        EXPECT_FALSE(Ok()->isEnabled()) << c.key;
    }
}

// Before "Чтение", "Запись", "Сохранить", "Загрузить" and "Выход" typed
// changes are applied ("Да"), dropped ("Нет"), or the action is called off
// ("Отмена").
TEST_F(KeyboardTest, UnconfirmedEditIsSettledBeforeActionsThatWouldDropIt) {
    int loadDialogs = 0;
    Form().SetPathChooser([&loadDialogs](bool) {
        ++loadDialogs;
        return QString();
    });
    const char* actions[] = {"N12", "N13", "N2", "N3", "N4"};
    const struct {
        Answer answer;
        const char* stored;
        bool actionRuns;
    } answers[] = {
        {Answer::Yes, "IvanovX", true},
        {Answer::No, "Ivanov", true},
        {Answer::Cancel, "Ivanov", false},
    };
    for (const char* action : actions) {
        for (const auto& a : answers) {
            const std::string where = std::string(action) + " " + a.stored;
            image_.Name(1).AbFNS = "Ivanov";
            TypeIntoSlotOne();
            Form().show();
            op_.entries.clear();
            op_.yesNoCancelAnswers = {a.answer};
            loadDialogs = 0;

            Find<QAction>(action)->trigger();

            ASSERT_FALSE(op_.entries.empty()) << where;
            EXPECT_EQ(op_.entries[0].kind, RecordingOperator::Entry::Kind::YesNoCancel) << where;
            EXPECT_EQ(op_.entries[0].text,
                      "Изменения абонента №1 не приняты кнопкой «Ок». Принять их?")
                << where;
            EXPECT_EQ(image_.Name(1).AbFNS, a.stored) << where;
            // Without a port a gateway action says so; a file action asks
            // for a file; "Выход" closes the window.
            const bool ran = op_.entries.size() > 1 || loadDialogs > 0 || !Form().isVisible();
            EXPECT_EQ(ran, a.actionRuns) << where;
            EXPECT_EQ(Ok()->isEnabled(), !a.actionRuns) << where;
            EXPECT_EQ(Name()->text().toStdString(), a.actionRuns ? a.stored : "IvanovX") << where;
            Find<QToolButton>("SpeedButton2")->click();
        }
    }
}

}  // namespace
}  // namespace tulvo::test
