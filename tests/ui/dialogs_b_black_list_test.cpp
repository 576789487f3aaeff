#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>
#include <vector>

#include "model/t_data.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "support/recording_operator.h"
#include "ui/dialogs/black_list_grid_model.h"
#include "ui/dialogs/form7.h"

namespace tulvo::test {
namespace {

using Texts = std::vector<std::string>;

// The controls of one tab, by their designer names.
struct TabNames {
    const char* grid;
    const char* number;
    const char* prefix;
    const char* group1;
    const char* gsmToFxo;
    const char* add;
    const char* remove;
    const char* edit;
};
constexpr TabNames kBlackTab{"StringGrid1", "Label24",      "Edit3",        "CheckBox7",
                             "CheckBox28",  "SpeedButton5", "SpeedButton6", "SpeedButton9"};
constexpr TabNames kWhiteTab{"StringGrid2",       "Label30",      "Edit4",        "CheckBox15",
                             "Blm_Mob_FXO_Eable", "SpeedButton7", "SpeedButton8", "SpeedButton10"};

class BlackListDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(temp_.isValid()); }

    TForm7& Form() {
        if (!form_) {
            form_ = std::make_unique<TForm7>(image_, store_, op_);
        }
        return *form_;
    }
    template <typename T>
    T* Find(const char* name) {
        T* widget = Form().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Click(const char* button) { QTest::mouseClick(Find<QToolButton>(button), Qt::LeftButton); }
    bool Enabled(const char* button) { return Find<QToolButton>(button)->isEnabled(); }
    // Types into a prefix field as the operator does, key by key.
    void Type(const TabNames& tab, const QString& text) {
        QLineEdit* edit = Find<QLineEdit>(tab.prefix);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void ClickRow(const TabNames& tab, int dataRow, Qt::MouseButton button = Qt::LeftButton) {
        auto* grid = Find<QTableView>(tab.grid);
        const QRect cell = grid->visualRect(grid->model()->index(dataRow, 1));
        QTest::mouseClick(grid->viewport(), button, {}, cell.center());
    }
    // The number column of a grid, top to bottom.
    std::vector<int> Entries(TForm7::Tab tab) {
        std::vector<int> entries;
        const BlackListGridModel& grid = Form().Grid(tab);
        for (int row = 1; row <= grid.rowCount(); ++row) {
            entries.push_back(grid.Cell(0, row).toInt());
        }
        return entries;
    }
    ConstBlackListRecord Entry(int k) const { return std::as_const(image_).BlackListEntry(k); }
    void Put(int k, std::uint8_t flag, const std::string& prefix, std::uint8_t groups = 0) {
        image_.BlackListEntry(k).SetFLAG(flag);
        image_.BlackListEntry(k).SetNUM(prefix);
        image_.BlackListEntry(k).SetGM(groups);
    }

    QTemporaryDir temp_;
    TData image_;
    RegistryStore store_{(temp_.path() + "/store.reg").toStdString()};
    RecordingOperator op_;
    std::unique_ptr<TForm7> form_;
};

TEST_F(BlackListDialogTest, ShowingListsEntriesAndLoadsEntryOne) {
    Put(1, 0x02 | 0x10, "0800", 0x81);  // a white entry
    Put(2, 0x01 | 0x04, "8050", 0x01);
    Put(3, 0x03, "77");     // in both lists
    Put(4, 0x81, "");       // empty
    Put(186, 0x01, "186");  // reached only here and in the store
    Put(0, 0x01, "0");      // the gateway's entry, never shown
    Form().show();

    EXPECT_EQ(Form().windowTitle(), "Черный/Белый список");
    EXPECT_EQ(Entries(TForm7::kBlack), (std::vector<int>{2, 3, 186}));
    EXPECT_EQ(Entries(TForm7::kWhite), (std::vector<int>{1, 3}));
    const BlackListGridModel& black = Form().Grid(TForm7::kBlack);
    const QStringList header{
        "№", "Маска тел-на", "1",         "2",        "3",       "4", "5", "6", "7",
        "8", "GSM->FXO",     "GSM->CONF", "FXO->GSM", "FXS->GSM"};
    const QStringList row1{"2", "8050", "1", "0", "0", "0", "0", "0", "0", "0", "1", "0", "0", "0"};
    for (int column = 0; column < BlackListGridModel::kColumns; ++column) {
        EXPECT_EQ(black.Cell(column, 0), header[column]) << column;
        EXPECT_EQ(black.Cell(column, 1), row1[column]) << column;
    }
    // Entry 1 goes into the black-list editor even though it is white.
    EXPECT_EQ(Find<QLabel>("Label24")->text(), "1");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "0800");
    EXPECT_TRUE(Find<QCheckBox>("CheckBox7")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox13")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox30")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("CheckBox28")->isChecked());
    for (const char* button : {"SpeedButton5", "SpeedButton9", "SpeedButton7", "SpeedButton10"}) {
        EXPECT_FALSE(Enabled(button)) << button;
    }
    EXPECT_EQ(Find<QListWidget>("ListBox1")->item(0)->text(),
              "Черный список используется для запрета звонков определенным группам");
    const int height = Form().sizeHint().height();
    Find<QCheckBox>("CheckBox1")->click();
    EXPECT_LT(Form().sizeHint().height(), height);
}

TEST_F(BlackListDialogTest, AddEditAndDeleteWriteTheImageAndKeepTheGridsInStep) {
    Put(2, 0x01, "500");
    Form().show();

    // Only digits and "+" reach the prefix; typing enables Add and Edit.
    Type(kBlackTab, "80a5+0");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "805+0");
    EXPECT_TRUE(Enabled("SpeedButton5"));
    EXPECT_TRUE(Enabled("SpeedButton9"));
    Find<QCheckBox>(kBlackTab.group1)->click();
    Find<QCheckBox>(kBlackTab.gsmToFxo)->click();
    Click(kBlackTab.add);
    EXPECT_EQ(Find<QLabel>("Label24")->text(), "1");
    EXPECT_EQ(Entry(1).FLAG(), 0x05);
    EXPECT_EQ(Entry(1).GM(), 0x01);
    EXPECT_EQ(Entry(1).NUM(), "805+0");
    EXPECT_TRUE(Entry(1).ChecksumValid());
    EXPECT_FALSE(Enabled("SpeedButton5") || Enabled("SpeedButton6") || Enabled("SpeedButton9"));

    // A long prefix is cut to 18 characters; the next free entry is 3.
    Type(kBlackTab, "12345678901234567890");
    Click(kBlackTab.add);
    EXPECT_EQ(Entry(3).NUM(), "123456789012345678");
    EXPECT_EQ(Entries(TForm7::kBlack), (std::vector<int>{1, 2, 3}));

    // A row clicked loads its entry; Edit stores it back as changed.
    ClickRow(kBlackTab, 1);
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "500");
    EXPECT_TRUE(Enabled("SpeedButton6"));
    EXPECT_FALSE(Enabled("SpeedButton9"));
    Find<QCheckBox>("CheckBox13")->click();
    Click(kBlackTab.edit);
    EXPECT_EQ(Entry(2).GM(), 0x80);

    // Deleting the last row selects the one above and loads it; Delete stays
    // enabled on the black-list tab.
    ClickRow(kBlackTab, 2);
    Click(kBlackTab.remove);
    EXPECT_TRUE(Entry(3).Empty());
    EXPECT_EQ(Entry(3).NUM(), "");
    EXPECT_EQ(Entries(TForm7::kBlack), (std::vector<int>{1, 2}));
    EXPECT_EQ(Find<QTableView>("StringGrid1")->currentIndex().row(), 1);
    EXPECT_EQ(Find<QLabel>("Label24")->text(), "2");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), "500");
    EXPECT_TRUE(Enabled("SpeedButton6"));

    // Changing the tab disables every editor button; the white list takes
    // the lowest free entry, and Delete of its only row empties the grid.
    Find<QTabWidget>("PageControl1")->setCurrentIndex(TForm7::kWhite);
    EXPECT_FALSE(Enabled("SpeedButton6"));
    EXPECT_EQ(Find<QListWidget>("ListBox1")->item(0)->text(),
              "Белый список используется для того чтобы создавать исключения в черном списке.");
    Type(kWhiteTab, "805036920");
    Click(kWhiteTab.add);
    EXPECT_EQ(Find<QLabel>("Label30")->text(), "3");
    EXPECT_EQ(Entry(3).FLAG(), 0x02);
    EXPECT_EQ(Entries(TForm7::kWhite), (std::vector<int>{3}));
    ClickRow(kWhiteTab, 0, Qt::RightButton);
    EXPECT_TRUE(Enabled("SpeedButton8"));
    Click(kWhiteTab.remove);
    EXPECT_EQ(Entry(3).FLAG(), 0x82);
    EXPECT_EQ(Entries(TForm7::kWhite), std::vector<int>{});
    EXPECT_FALSE(Enabled("SpeedButton8"));
    EXPECT_EQ(op_.Texts(), Texts{});
}

// Entry 186 is never sent to the gateway: Add stops at 185 and, with every
// entry up to it in use, changes nothing and says so.
TEST_F(BlackListDialogTest, AddTakesEntriesUpTo185AndRefusesWhenTheyAreAllInUse) {
    for (int k = 1; k <= 184; ++k) {
        Put(k, 0x01, std::to_string(k));
    }
    Put(186, 0x02, "186");
    Form().show();
    Type(kBlackTab, "185");
    Click(kBlackTab.add);
    EXPECT_EQ(Entry(185).NUM(), "185");

    Type(kBlackTab, "999");
    Click(kBlackTab.add);

    EXPECT_EQ(op_.Texts(), Texts{"Список заполнен: нет свободных записей!"});
    EXPECT_EQ(Entry(186).NUM(), "186");
    EXPECT_EQ(Entry(1).NUM(), "1");
    EXPECT_EQ(Entries(TForm7::kWhite), std::vector<int>{186});
    EXPECT_EQ(Form().Grid(TForm7::kBlack).rowCount(), 185);
}

// "ОК" saves entries 1 to 186; "Отмена" loads them back from the store and
// leaves element 0, the gateway's entry, as the image holds it.
TEST_F(BlackListDialogTest, OkSavesAndCancelRestoresFromTheStoreButKeepsElementZero) {
    Put(0, 0x01, "first");
    Put(5, 0x01, "555");
    Form().show();
    Click("SpeedButton1");
    EXPECT_EQ(Form().result(), QDialog::Accepted);
    {
        TData stored;
        LoadBlackList(stored, store_);
        EXPECT_EQ(std::as_const(stored).BlackListEntry(5).NUM(), "555");
    }

    Form().show();
    ClickRow(kBlackTab, 0);
    Type(kBlackTab, "666");
    Click(kBlackTab.edit);
    Put(0, 0x02, "read since");  // e.g. a read from the gateway meanwhile
    Put(9, 0x02, "999");
    EXPECT_EQ(Entry(5).NUM(), "666");

    Click("SpeedButton2");

    EXPECT_EQ(Form().result(), QDialog::Rejected);
    EXPECT_EQ(Entry(5).NUM(), "555");
    EXPECT_TRUE(Entry(9).Empty());
    EXPECT_EQ(Entry(0).NUM(), "read since");
    EXPECT_EQ(Entry(0).FLAG(), 0x02);
    EXPECT_TRUE(Entry(0).ChecksumValid());
}

}  // namespace
}  // namespace tulvo::test
