#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include "main_form_fixture.h"
#include "ui/main/subscriber_editor.h"
#include "ui/main/subscriber_grid_model.h"

namespace tulvo::test {
namespace {

class EditorTest : public MainFormTest {
  protected:
    QToolButton* Ok() { return Find<QToolButton>("SpeedButton1"); }
    QToolButton* Cancel() { return Find<QToolButton>("SpeedButton2"); }
    QToolButton* Delete() { return Find<QToolButton>("SpeedButton6"); }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }

    void ExpectButtons(bool ok, bool cancel, bool remove) {
        EXPECT_EQ(Ok()->isEnabled(), ok);
        EXPECT_EQ(Cancel()->isEnabled(), cancel);
        EXPECT_EQ(Delete()->isEnabled(), remove);
    }
    // Types into the phone box and presses "Ок" for the current row.
    void StorePhone(const QString& phone) {
        Edit("Edit2")->setText(phone);
        Ok()->click();
    }
};

TEST_F(EditorTest, UsedSlotIsShownWithOnlyDeleteEnabled) {
    PutSubscriber(1, 7, "Petrov", "80501112233");
    Form();
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "1");
    EXPECT_EQ(Edit("Edit1")->text(), "Petrov");
    EXPECT_EQ(Edit("Edit2")->text(), "80501112233");
    EXPECT_EQ(Edit("Edit3")->text(), "60");
    EXPECT_EQ(Edit("Edit4")->text(), "120");
    EXPECT_EQ(Edit("Edit5")->text(), "1234");
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), "3");
    EXPECT_TRUE(Box("CheckBox4")->isChecked());
    EXPECT_TRUE(Box("CheckBox2")->isChecked());
    EXPECT_FALSE(Box("CheckBox3")->isChecked());
    EXPECT_TRUE(Box("CheckBox7")->isChecked());
    ExpectButtons(false, false, true);
}

TEST_F(EditorTest, EmptySlotGetsNewSubscriberDefaultsWithAllButtonsOff) {
    PutSubscriber(1, 41);
    Form();
    ClickRow(5);
    EXPECT_EQ(Find<QLabel>("Label9")->text(), "5");
    EXPECT_EQ(Edit("Edit1")->text(), "");
    EXPECT_EQ(Edit("Edit3")->text(), "7200");
    EXPECT_EQ(Edit("Edit4")->text(), "7200");
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), "1");
    EXPECT_TRUE(Find<QRadioButton>("RadioGroup1Item0")->isChecked());
    for (const char* name : {"CheckBox2", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox1"}) {
        EXPECT_TRUE(Box(name)->isChecked()) << name;
    }
    EXPECT_FALSE(Box("CheckBox3")->isChecked());
    ExpectButtons(false, false, false);
    // The fresh identifier is reserved in the image while the slot stays empty.
    EXPECT_EQ(image_.AbInfo(5).ID(), 42u);
    EXPECT_EQ(image_.Name(5).AbIdCod, 42);
    EXPECT_TRUE(image_.AbInfo(5).Empty());
}

TEST_F(EditorTest, ChangesEnableOkAndCancelButAccessBoxesAloneDoNot) {
    PutSubscriber(1, 1);
    Form();
    Box("CheckBox6")->click();  // FXS access, not the default line
    ExpectButtons(false, false, true);
    Box("CheckBox9")->click();  // total-limit controls do not count either
    ExpectButtons(false, false, true);
    Edit("Edit1")->setText("Sidorov");
    ExpectButtons(true, true, true);
    // "Отмена" reloads the slot and leaves the Shown state.
    Cancel()->click();
    EXPECT_EQ(Edit("Edit1")->text(), "Ivanov");
    ExpectButtons(false, false, true);
}

TEST_F(EditorTest, ConferenceAccessAndDefaultLineCountAsChanges) {
    PutSubscriber(1, 1);
    Form();
    Box("CheckBox1")->click();
    ExpectButtons(true, true, true);
    Cancel()->click();
    Find<QRadioButton>("RadioGroup1Item1")->click();
    ExpectButtons(true, true, true);
}

TEST_F(EditorTest, FollowingAnotherRowDropsUnsavedChanges) {
    PutSubscriber(1, 1, "First");
    PutSubscriber(2, 2, "Second");
    Form();
    Edit("Edit1")->setText("Changed");
    ClickRow(2);
    ClickRow(1);
    EXPECT_EQ(Edit("Edit1")->text(), "First");
    EXPECT_EQ(image_.Name(1).AbFNS, "First");
    ExpectButtons(false, false, true);
}

TEST_F(EditorTest, DefaultLineAccessBoxCannotBeCleared) {
    PutSubscriber(1, 1);
    Form();
    const struct {
        const char* radio;
        const char* access;
    } lines[] = {{"RadioGroup1Item0", "CheckBox5"},
                 {"RadioGroup1Item1", "CheckBox6"},
                 {"RadioGroup1Item2", "CheckBox1"}};
    for (const auto& line : lines) {
        Box(line.access)->setChecked(false);
        Find<QRadioButton>(line.radio)->click();
        EXPECT_TRUE(Box(line.access)->isChecked()) << line.radio;
        Box(line.access)->click();
        EXPECT_TRUE(Box(line.access)->isChecked()) << line.access;
    }
    // Another line's box can be cleared.
    Box("CheckBox5")->click();
    EXPECT_FALSE(Box("CheckBox5")->isChecked());
}

TEST_F(EditorTest, ShownSlotGetsItsDefaultLineAccessEvenWhenTheRecordLacksIt) {
    PutSubscriber(1, 1);
    image_.AbInfo(1).SetDL(1);
    image_.AbInfo(1).SetLM(0x38 | 0x01);  // FXS access missing
    Form();
    EXPECT_TRUE(Find<QRadioButton>("RadioGroup1Item1")->isChecked());
    EXPECT_TRUE(Box("CheckBox6")->isChecked());
}

TEST_F(EditorTest, NumericBoxesRefuseTypedAndPastedNonDigits) {
    Form();
    const struct {
        const char* name;
        int maxLength;
    } boxes[] = {{"Edit3", 4}, {"Edit4", 4}, {"Edit5", 7}, {"Edit6", 6}};
    for (const auto& box : boxes) {
        QLineEdit* edit = Edit(box.name);
        edit->setEnabled(true);
        edit->clear();
        QTest::keyClicks(edit, "1a2-b3");
        EXPECT_EQ(edit->text(), "123") << box.name;
        edit->clear();
        QApplication::clipboard()->setText("12x4");
        edit->paste();
        EXPECT_EQ(edit->text(), "") << box.name;
        QTest::keyClicks(edit, "9876543210");
        EXPECT_EQ(edit->text().size(), box.maxLength) << box.name;
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text().size(), box.maxLength - 1) << box.name;
    }
}

TEST_F(EditorTest, ValuesFromTheGatewayShowWholeAndStayEditable) {
    PutSubscriber(1, 1);
    image_.AbInfo(1).SetLimIn(65535);
    image_.AbInfo(1).SetPassword("ab12");
    Form();
    QLineEdit* limit = Edit("Edit3");
    EXPECT_EQ(limit->text(), "65535");
    limit->end(false);
    QTest::keyClicks(limit, "7");
    EXPECT_EQ(limit->text(), "65535");
    QTest::keyClick(limit, Qt::Key_Backspace);
    EXPECT_EQ(limit->text(), "6553");
    QLineEdit* password = Edit("Edit5");
    EXPECT_EQ(password->text(), "ab12");
    password->end(false);
    QTest::keyClicks(password, "x9");
    EXPECT_EQ(password->text(), "ab129");
    QTest::keyClick(password, Qt::Key_Home);
    QTest::keyClick(password, Qt::Key_Delete);
    EXPECT_EQ(password->text(), "b129");
}

TEST_F(EditorTest, PhoneBoxTakesOnlyDigitsPlusSeparatorsAndUpperP) {
    Form();
    QLineEdit* edit = Edit("Edit2");
    edit->clear();
    QTest::keyClicks(edit, "+380 50/12\\3pP9#*");
    EXPECT_EQ(edit->text(), "+38050/12\\3P9");
}

TEST_F(EditorTest, OkWithEmptyPhoneShowsMessageAndStoresNothing) {
    Form();
    ClickRow(3);
    Edit("Edit1")->setText("Nobody");
    const auto before = image_.AbInfo(3).SealedCopy();
    StorePhone("");
    ASSERT_EQ(op_.Texts(), std::vector<std::string>{"Введите номер телефона абонента!"});
    EXPECT_EQ(image_.AbInfo(3).SealedCopy(), before);
    EXPECT_EQ(image_.Name(3).AbFNS, "");
    EXPECT_TRUE(Ok()->isEnabled());
}

TEST_F(EditorTest, OkStoresEditorIntoSlotAndSavesIt) {
    Form();
    ClickRow(4);
    Edit("Edit1")->setText("Kuznetsov");
    Edit("Edit3")->setText("");
    Edit("Edit4")->setText("30");
    Edit("Edit5")->setText("7654321");
    Box("CheckBox3")->setChecked(true);
    Box("CheckBox7")->setChecked(false);
    Find<QComboBox>("ComboBox1")->setCurrentIndex(7);
    StorePhone("80501234569/8881");

    AbInfoRecord info = image_.AbInfo(4);
    EXPECT_FALSE(info.Empty());
    EXPECT_EQ(info.FLAG(), 0x02 | 0x01 | 0x08 | 0x40);
    EXPECT_EQ(info.LM(), 0x3F);
    EXPECT_EQ(info.DL(), 0);
    EXPECT_EQ(info.Gr(), 0x80);
    EXPECT_EQ(info.LimIn(), 0);
    EXPECT_EQ(info.LimOut(), 30);
    EXPECT_EQ(info.Password(), "7654321");
    EXPECT_EQ(info.ID(), 1u);
    EXPECT_TRUE(info.ChecksumValid());
    const auto bytes = info.bytes();
    EXPECT_EQ(std::vector<int>(bytes.begin() + 15, bytes.begin() + 28),
              (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0xF3, 0x80, 0xFF}));
    EXPECT_EQ(image_.Name(4).AbFNS, "Kuznetsov");
    EXPECT_EQ(image_.Name(4).AbIdCod, 1);
    AbPhoneRecord phone = image_.AbPhone(4);
    EXPECT_EQ(phone.PhoneIn(), "80501234569");
    EXPECT_EQ(phone.PhoneOut(), "8881");
    EXPECT_EQ(phone.PhoneLen(), 4);
    EXPECT_EQ(phone.PhoneIndex(), 3);
    EXPECT_EQ(phone.FlagPhone(), 0);
    EXPECT_TRUE(op_.entries.empty());
    EXPECT_FALSE(Ok()->isEnabled());
    EXPECT_TRUE(Delete()->isEnabled());
    EXPECT_NE(RegistryText().find("Kuznetsov"), std::string::npos);
}

TEST_F(EditorTest, PhoneTextSplitsIntoMainAndShortNumber) {
    const struct {
        const char* typed;
        const char* in;
        const char* out;
        int len;
    } cases[] = {
        {"123\\45/6", "123", "456", 3},
        {"/5", "", "5", 1},
        {"123456789012345678901234567890", "123456789012345678901234", "", 0},
        {"1/1234567890", "1", "1234567", 10},
    };
    Form();
    for (const auto& c : cases) {
        ClickRow(6);
        StorePhone(QString::fromLatin1(c.typed));
        EXPECT_EQ(image_.AbPhone(6).PhoneIn(), c.in) << c.typed;
        EXPECT_EQ(image_.AbPhone(6).PhoneOut(), c.out) << c.typed;
        EXPECT_EQ(image_.AbPhone(6).PhoneLen(), c.len) << c.typed;
    }
}

// What "Ок" stores is what the group box shows, however the operator got it
// there; afterwards the box shows what was stored, and focus leaving it (a
// file dialog opening, say) is no change of the subscriber.
TEST_F(EditorTest, GroupBoxStoresTheGroupItShows) {
    const struct {
        const char* name;
        std::uint8_t shownGr;  // the slot's group before the edit
        const char* typed;     // nullptr: picked from the list instead
        bool tab;              // Tab out of the box before "Ок"
        int picked;
        std::uint8_t storedGr;
        const char* shownAfter;
    } cases[] = {
        {"typed", 0x04, "5", false, 0, 0x10, "5"},
        {"typed then Tab", 0x04, "5", true, 0, 0x10, "5"},
        {"same group typed then Tab", 0x01, "1", true, 0, 0x01, "1"},
        {"picked", 0x04, nullptr, false, 7, 0x40, "7"},
        {"typed number of no group", 0x04, "9", false, 0, 0x00, ""},
        {"typed text", 0x04, "x", true, 0, 0x00, ""},
        {"emptied", 0x04, "", false, 0, 0x00, ""},
    };
    Form().activateWindow();
    auto* combo = Find<QComboBox>("ComboBox1");
    int row = 10;
    for (const auto& c : cases) {
        ++row;
        PutSubscriber(row, row);
        image_.AbInfo(row).SetGr(c.shownGr);
        ClickRow(row);
        Edit("Edit1")->setText("Changed");
        if (c.typed != nullptr) {
            combo->setFocus();
            combo->lineEdit()->selectAll();
            QTest::keyClick(combo->lineEdit(), Qt::Key_Delete);
            QTest::keyClicks(combo->lineEdit(), QString::fromLatin1(c.typed));
            if (c.tab) {
                QTest::keyClick(combo->lineEdit(), Qt::Key_Tab);
            }
        } else {
            combo->setCurrentIndex(c.picked - 1);
        }
        Ok()->click();
        EXPECT_EQ(image_.AbInfo(row).bytes()[26], c.storedGr) << c.name;
        EXPECT_EQ(combo->currentText(), QString::fromLatin1(c.shownAfter)) << c.name;
        EXPECT_EQ(Form().Grid().Cell(4, row),
                  QString::number(AbInfoRecord::GroupNumberOf(c.storedGr)))
            << c.name;
        combo->setFocus();
        Find<QWidget>("StringGrid1")->setFocus();
        QApplication::processEvents();
        ExpectButtons(false, false, true);
    }
    EXPECT_EQ(combo->count(), 8);
}

TEST_F(EditorTest, DeleteLeavesFocusOnTheGrid) {
    PutSubscriber(1, 1);
    Form().activateWindow();
    Edit("Edit1")->setFocus();
    Delete()->click();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), Find<QWidget>("StringGrid1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ExpectButtons(false, false, false);
}

TEST_F(EditorTest, LimitControlsFollowTheirBoxFromTheFirstShowing) {
    Form();  // row 1 is empty: the editor does not load its limit
    ASSERT_FALSE(Box("CheckBox9")->isChecked());
    for (const char* name : {"Edit6", "Edit7", "Label19", "Label20", "CheckBox10", "CheckBox11"}) {
        EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
    }
}

TEST_F(EditorTest, DeleteEmptiesSlotAndPreparesNewSubscriber) {
    PutSubscriber(1, 5);
    PutSubscriber(2, 9);
    Form();
    ClickRow(2);
    Delete()->click();
    AbInfoRecord info = image_.AbInfo(2);
    EXPECT_TRUE(info.Empty());
    EXPECT_EQ(info.bytes()[13], 0);   // LM
    EXPECT_EQ(info.bytes()[26], 1);   // Gr
    EXPECT_EQ(info.bytes()[27], 0);   // Reserved3
    EXPECT_EQ(info.Password(), "");   // empty slot reads no password ...
    EXPECT_EQ(info.bytes()[5], '1');  // ... but its bytes are kept
    EXPECT_EQ(image_.Name(2).AbFNS, "");
    // The fresh ID reuses the deleted one's place: the largest used ID + 1.
    EXPECT_EQ(info.ID(), 6u);
    EXPECT_EQ(image_.Name(2).AbIdCod, 6);
    EXPECT_EQ(Edit("Edit3")->text(), "7200");
    ExpectButtons(false, false, false);
}

TEST_F(EditorTest, LimitBoxTurnsLimitControlsAndImageBitTogether) {
    PutSubscriber(1, 1);
    image_.AbLimit(1).SetLimitSeconds(725);
    Form();
    EXPECT_EQ(Edit("Edit7")->text(), "12мин 5сек");
    EXPECT_FALSE(Box("CheckBox9")->isChecked());
    EXPECT_FALSE(Edit("Edit6")->isEnabled());
    Box("CheckBox9")->click();
    EXPECT_TRUE(Edit("Edit6")->isEnabled());
    EXPECT_TRUE(Box("CheckBox10")->isEnabled());
    EXPECT_TRUE(image_.AbLimit(1).LimitOn());
    EXPECT_TRUE(image_.AbLimit(1).ChecksumValid());
}

TEST_F(EditorTest, DisabledEditorBoxesTakeThePanelColour) {
    Form().Editor().EnableEditor(false);
    const QColor panel = Find<QWidget>("Panel2")->palette().color(QPalette::Window);
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "ComboBox1"}) {
        auto* box = Find<QWidget>(name);
        EXPECT_FALSE(box->isEnabled()) << name;
        EXPECT_EQ(box->palette().color(QPalette::Disabled, QPalette::Base), panel) << name;
        EXPECT_EQ(box->palette().color(QPalette::Active, QPalette::Base),
                  QApplication::palette().color(QPalette::Active, QPalette::Base))
            << name;
    }
}

}  // namespace
}  // namespace tulvo::test
