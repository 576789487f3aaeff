#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/t_data.h"
#include "support/recording_operator.h"
#include "ui/dialogs/form3.h"
#include "ui/qt_operator.h"

namespace tulvo::test {
namespace {

using Texts = std::vector<std::string>;

class AlarmDialogTest : public ::testing::Test {
  protected:
    TForm3& Form() {
        if (!form_) {
            form_ = std::make_unique<TForm3>(image_, op_);
        }
        return *form_;
    }
    template <typename T>
    T* Find(const QString& name) {
        T* widget = Form().findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit* Edit(const QString& name) { return Find<QLineEdit>(name); }
    QCheckBox* Box(const QString& name) { return Find<QCheckBox>(name); }
    QComboBox* List(const QString& name) { return Find<QComboBox>(name); }
    void ClickOk() { Find<QToolButton>("SpeedButton1")->click(); }
    ConstAlarmSettingRecord Alarm() const { return std::as_const(image_).SettingAlarm(); }

    // Slot n in use and activated, with a name.
    void Activate(int n, const std::string& name) {
        image_.AbInfo(n).SetFLAG(AbInfoRecord::kActivation);
        image_.Name(n).AbFNS = name;
    }

    TData image_;
    RecordingOperator op_;
    std::unique_ptr<TForm3> form_;
};

TEST_F(AlarmDialogTest, DefaultRecordOpensWithItsDefaults) {
    Form().show();
    EXPECT_EQ(Form().windowTitle(), "Параметры системы оповещения");
    EXPECT_TRUE(Form().windowFlags() & Qt::WindowStaysOnTopHint);
    for (int n = 1; n <= 10; ++n) {
        const QString s = QString::number(n);
        EXPECT_EQ(List("AbName" + s)->currentIndex(), 0) << n;
        EXPECT_EQ(List("AbName" + s)->currentText(), "-пустая запись-") << n;
        EXPECT_TRUE(Box("Call" + s)->isChecked()) << n;
        EXPECT_FALSE(Box("PutSMS" + s)->isChecked()) << n;
    }
    EXPECT_EQ(Edit("Password")->text(), "9387");
    for (int n = 1; n <= 4; ++n) {
        const QString s = QString::number(n);
        EXPECT_EQ(Edit("Password" + s)->text(), "9387") << n;
        EXPECT_FALSE(Box("EnableCheck" + s)->isChecked()) << n;
        EXPECT_TRUE(Find<QRadioButton>("ModeSwitch" + s + "Item0")->isChecked()) << n;
        EXPECT_EQ(List("InMode" + s)->currentText(), "размыкание") << n;
        EXPECT_EQ(List("OutMode" + s)->currentText(), "вручную") << n;
        EXPECT_EQ(Edit("InDebounce" + s)->text(), "10") << n;
        EXPECT_EQ(Edit("InTimeout" + s)->text(), "120") << n;
        EXPECT_EQ(Edit("SetTimeout" + s)->text(), "5") << n;
        EXPECT_EQ(Edit("KeyTime" + s)->text(), "0") << n;
        EXPECT_FALSE(Edit("KeyTime" + s)->isEnabled()) << n;
        EXPECT_FALSE(Box(QStringLiteral("c%1%1").arg(n))->isEnabled()) << n;
        // Channels 3 and 4 are inputs only.
        EXPECT_EQ(Find<QGroupBox>("ModeSwitch" + s)->isEnabled(), n <= 2) << n;
        EXPECT_EQ(Find<QGroupBox>("OutGroup" + s)->isHidden(), n > 2) << n;
    }
    EXPECT_EQ(Find<QListWidget>("ListBox1")->count(), 0);
}

// The lists offer the activated slots; an entry naming a slot that is not
// offered, or no slot at all, shows the empty item and stores -1.
TEST_F(AlarmDialogTest, SubscriberListsOfferActivatedSlotsAndStoreTheirNumbers) {
    Activate(5, "\xC8\xE2\xE0\xED");  // "Иван" in Windows-1251
    Activate(7, "");
    image_.AbInfo(9).SetFLAG(AbInfoRecord::kEmpty | AbInfoRecord::kActivation);
    AlarmSettingRecord alarm = image_.SettingAlarm();
    alarm.SetAbName(1, 4);    // slot 5
    alarm.SetAbName(2, 8);    // slot 9, empty
    alarm.SetAbName(3, 6);    // slot 7
    alarm.SetAbName(4, 300);  // past the last slot

    QComboBox* first = List("AbName1");
    ASSERT_EQ(first->count(), 3);
    EXPECT_EQ(first->itemText(1), "Иван");
    EXPECT_EQ(first->itemText(2), "7");
    EXPECT_EQ(Form().AlarmItemSlot(), (std::vector<int>{-1, 4, 6}));
    EXPECT_EQ(first->currentIndex(), 1);
    EXPECT_EQ(List("AbName2")->currentIndex(), 0);
    EXPECT_EQ(List("AbName3")->currentIndex(), 2);
    EXPECT_EQ(List("AbName4")->currentIndex(), 0);

    List("AbName5")->setCurrentIndex(2);
    ClickOk();

    EXPECT_EQ(op_.Texts(), Texts{});
    const std::vector<int> stored{4, -1, 6, -1, 6, -1, -1, -1, -1, -1};
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(Alarm().AbName(n), stored[static_cast<std::size_t>(n - 1)]) << n;
    }
}

// Steps before a refused field stay written, the ones after it are not done,
// and the dialog stays open.
TEST_F(AlarmDialogTest, RefusedPasswordsStopStoreAfterTheStepsBeforeThem) {
    Activate(3, "A");
    Form().show();
    List("AbName1")->setCurrentIndex(1);
    Box("PutSMS1")->setChecked(true);
    Edit("Password")->clear();

    ClickOk();

    EXPECT_EQ(op_.Texts(), Texts{"Не установлен общий пароль"});
    EXPECT_EQ(Alarm().AbName(1), 2);
    EXPECT_EQ(Alarm().PutSMS(), 0);
    EXPECT_TRUE(Form().isVisible());

    // A channel that is off may have no password; the lowest enabled channel
    // without one is named, after the channels before it were stored.
    Edit("Password")->setText("1");
    Edit("Password1")->setText("111");
    Edit("Password2")->clear();
    Box("EnableCheck3")->setChecked(true);
    Edit("Password3")->clear();
    Box("EnableCheck4")->setChecked(true);
    Edit("Password4")->clear();
    Edit("InDebounce1")->setText("77");
    op_.entries.clear();

    ClickOk();

    EXPECT_EQ(op_.Texts(), Texts{"Не установлен пароль для 3-го канала"});
    EXPECT_EQ(Alarm().PutSMS(), 1);
    EXPECT_EQ(Alarm().EM(), 0x0C);
    EXPECT_EQ(Alarm().Password(1), "111");
    EXPECT_EQ(Alarm().Password(2), "");
    EXPECT_EQ(Alarm().Password(4), "9387");
    EXPECT_EQ(Alarm().InDebounce(1), 10);
    EXPECT_TRUE(Alarm().ChecksumValid());
    EXPECT_TRUE(Form().isVisible());
}

// Each number field takes what its record field can hold and refuses the
// rest with its own message.
TEST_F(AlarmDialogTest, NumberFieldsTakeWhatTheirFieldHoldsAndRefuseTheRest) {
    using Value = std::function<int(const ConstAlarmSettingRecord&)>;
    const Value debounce1 = [](auto a) { return a.InDebounce(1); };
    const Value debounce2 = [](auto a) { return a.InDebounce(2); };
    const Value timeout4 = [](auto a) { return a.InTimeout(4); };
    const Value setTimeout2 = [](auto a) { return a.SetTimeout(2); };
    const Value keyTime1 = [](auto a) { return a.KeyTime(1); };
    const std::string debounceError = "Недопустимое значение поля таймаут для ";
    const std::string timeoutError =
        "Недопустимое значение поля таймаут до повтрного срабатывания для ";
    const std::string setError = "Недопустимое значение поля таймаут постановки на охрану для ";
    const std::string keyError = "Недопустимое значение поля время нажатия для ";
    const struct {
        const char* field;
        const char* text;
        bool keyMode1;
        std::string message;  // empty: stored
        Value value;
        int expected;  // the stored value, or the record's default when refused
    } cases[] = {
        {"InDebounce1", "0", false, "", debounce1, 0},
        {"InDebounce2", "65535", false, "", debounce2, 65535},
        {"InDebounce1", "123456", false, debounceError + "1-го канала", debounce1, 10},
        {"InDebounce2", "65536", false, debounceError + "2-го канала", debounce2, 10},
        {"InDebounce1", "-5", false, debounceError + "1-го канала", debounce1, 10},
        {"InDebounce1", "abc", false, debounceError + "1-го канала", debounce1, 10},
        {"InTimeout4", "99999", false, timeoutError + "4-го канала", timeout4, 120},
        {"InTimeout4", "", false, timeoutError + "4-го канала", timeout4, 120},
        {"InTimeout4", "300", false, "", timeout4, 300},
        {"SetTimeout2", "255", false, "", setTimeout2, 255},
        {"SetTimeout2", "256", false, setError + "2-го канала", setTimeout2, 5},
        {"SetTimeout2", "1000", false, setError + "2-го канала", setTimeout2, 5},
        {"SetTimeout2", "-1", false, setError + "2-го канала", setTimeout2, 5},
        {"KeyTime1", "255", true, "", keyTime1, 255},
        {"KeyTime1", "0", true, keyError + "1-го канала", keyTime1, 0},
        {"KeyTime1", "-1", true, keyError + "1-го канала", keyTime1, 0},
        {"KeyTime1", "x", false, "", keyTime1, 0},
    };
    for (const auto& c : cases) {
        TData image;
        RecordingOperator op;
        TForm3 form(image, op);
        form.show();
        form.findChild<QCheckBox*>("KeyMode1")->setChecked(c.keyMode1);
        form.findChild<QLineEdit*>(c.field)->setText(QString::fromUtf8(c.text));

        form.findChild<QToolButton*>("SpeedButton1")->click();

        const Texts expected = c.message.empty() ? Texts{} : Texts{c.message};
        EXPECT_EQ(op.Texts(), expected) << c.field << " " << c.text;
        EXPECT_EQ(c.value(std::as_const(image).SettingAlarm()), c.expected)
            << c.field << " " << c.text;
        EXPECT_EQ(form.isVisible(), !c.message.empty()) << c.field << " " << c.text;
    }
}

// Channels 3 and 4 show no output settings: a button mode without a press
// time there does not stop "Ок", and their output fields stay as loaded,
// except that they are always inputs.
TEST_F(AlarmDialogTest, HiddenOutputSettingsOfChannelsThreeAndFourAreKept) {
    AlarmSettingRecord alarm = image_.SettingAlarm();
    alarm.SetKeyMode(0x04);  // channel 3 in button mode ...
    alarm.SetKeyTime(3, 0);  // ... with no press time
    alarm.SetKeyTime(4, 7);
    alarm.SetKeyTime(2, 4);
    alarm.SetMM(0x000C0C00);  // channels 3 and 4: outputs driven by inputs
    alarm.SetOutMask(3, 0x03);
    Form().show();
    // A press time shows enabled even without the button mode; it is then
    // stored as 0 on a channel with output settings.
    EXPECT_TRUE(Edit("KeyTime2")->isEnabled());

    ClickOk();

    EXPECT_EQ(op_.Texts(), Texts{});
    EXPECT_EQ(Form().result(), QDialog::Accepted);
    EXPECT_EQ(Alarm().KeyMode(), 0x04);
    EXPECT_EQ(Alarm().KeyTime(3), 0);
    EXPECT_EQ(Alarm().KeyTime(4), 7);
    EXPECT_EQ(Alarm().KeyTime(2), 0);
    EXPECT_EQ(Alarm().MM(), 0x000C0000u);
    EXPECT_EQ(Alarm().OutMask(3), 0x03);
    EXPECT_TRUE(Alarm().ChecksumValid());
}

// The dialog stays on top; its messages are boxes of its own, so they are
// never hidden behind it, and later boxes go back to the main window.
TEST_F(AlarmDialogTest, MessageBoxesBelongToTheDialogWhileItIsShown) {
    QWidget mainWindow;
    QtOperator boxes(&mainWindow);
    TForm3 form(image_, boxes, &mainWindow);
    form.findChild<QLineEdit*>("Password")->clear();
    QWidget* owner = nullptr;
    QString text;
    QTimer::singleShot(0, &form, [&] {
        QTimer::singleShot(0, &form, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                owner = box->parentWidget();
                text = box->text();
                box->accept();
            }
            form.reject();
        });
        form.findChild<QToolButton*>("SpeedButton1")->click();
    });

    form.exec();

    EXPECT_EQ(text, "Не установлен общий пароль");
    EXPECT_EQ(owner, &form);
    EXPECT_EQ(boxes.ParentWindow(), &mainWindow);
}

TEST_F(AlarmDialogTest, HelpPaneFollowsFieldsAndHides) {
    Form().show();
    const struct {
        const char* widget;
        int lines;
        const char* firstLine;
    } cases[] = {
        {"AbName3", 2, "Абонент, на которого Tulvo выполнит звонок и отправит SMS сообщение"},
        {"Label2", 2, "Абонент, на которого Tulvo выполнит звонок и отправит SMS сообщение"},
        {"Label4", 2, "Общий пароль используется для включения или выключения всех разрешенных"},
        {"EnableCheck2", 1, "Установите этот флажок, чтобы разрешить работу канала."},
        {"Password4", 1, "Пароль используемый для включения и выключения данного канала"},
        {"ModeSwitch1Item1", 3, "Выбор режима работы канала доступны 2 режима"},
        {"InMode3", 5,
         "Выбор режима работы канала при подключении датчиков сигнализации доступны 2 режима"},
        {"InDebounce1", 2, "Установка времени которое необходимо для срабатывания канала"},
        {"InTimeout2", 4, "\"Таймаут повторного до срабатывания\" - это период времени "},
        {"KeyMode1", 4, "Режим кнопки - это режим, в котором реле, управляющее"},
    };
    auto* help = Find<QListWidget>("ListBox1");
    auto* tabs = Find<QTabWidget>("PageControl1");
    for (const auto& c : cases) {
        auto* widget = Find<QWidget>(c.widget);
        for (QWidget* page = widget; page != nullptr; page = page->parentWidget()) {
            if (tabs->indexOf(page) >= 0) {
                tabs->setCurrentWidget(page);
            }
        }
        EXPECT_EQ(help->count(), 0) << "a new tab empties the pane";
        QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(4, 4));
        ASSERT_EQ(help->count(), c.lines) << c.widget;
        EXPECT_EQ(help->item(0)->text(), QString::fromUtf8(c.firstLine)) << c.widget;
        tabs->setCurrentIndex(tabs->currentIndex() == 0 ? 1 : 0);
    }

    // The button mode box switches its press time field on and off.
    EXPECT_TRUE(Edit("KeyTime1")->isEnabled());
    QTest::mouseClick(Box("KeyMode1"), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_FALSE(Edit("KeyTime1")->isEnabled());

    const int height = Form().sizeHint().height();
    Box("CheckBox6")->click();
    EXPECT_FALSE(Find<QGroupBox>("GroupBox1")->isVisible());
    EXPECT_LT(Form().sizeHint().height(), height);
}

}  // namespace
}  // namespace tulvo::test
