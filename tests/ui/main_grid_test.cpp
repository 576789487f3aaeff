#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <chrono>

#include "main_form_fixture.h"
#include "model/cp1251.h"
#include "ui/main/subscriber_grid_model.h"
#include "ui/main/subscriber_grid_view.h"

namespace tulvo::test {
namespace {

class GridTest : public MainFormTest {
  protected:
    QString Cell(int column, int row) { return Form().Grid().Cell(column, row); }
    SubscriberGridView* Grid() { return Find<SubscriberGridView>("StringGrid1"); }
    QString Label9() { return Find<QLabel>("Label9")->text(); }
};

TEST_F(GridTest, TitleRowNamesTheSixColumns) {
    const char* titles[] = {"№", "Вкл", "ФИО абонента", "Тел.номер вход", "Группа", "ID-код"};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(Cell(c, 0), QString::fromUtf8(titles[c]));
    }
}

TEST_F(GridTest, UsedSlotShowsItsFieldsAndEmptySlotOnlyNumberAndUncheckedBox) {
    PutSubscriber(7, 0x00ABCDEF, Utf8ToCp1251("Иванов И.И."), "80501234569");
    image_.AbPhone(7).SetPhoneOut("8881");
    PutSubscriber(8, 3);
    image_.AbInfo(8).SetFLAG(0x02);  // not active
    image_.AbInfo(8).SetGr(0x05);    // two bits: no single group
    Form();
    EXPECT_EQ(Cell(0, 7), "7");
    EXPECT_EQ(Cell(1, 7), "1");
    EXPECT_EQ(Cell(2, 7), QString::fromUtf8("Иванов И.И."));
    EXPECT_EQ(Cell(3, 7), "80501234569/8881");
    EXPECT_EQ(Cell(4, 7), "3");
    EXPECT_EQ(Cell(5, 7), "00ABCDEF");
    EXPECT_EQ(Cell(1, 8), "0");
    EXPECT_EQ(Cell(4, 8), "0");
    EXPECT_EQ(Cell(3, 8), "80501234567");
    for (int c = 2; c < 6; ++c) {
        EXPECT_EQ(Cell(c, 9), "") << c;
    }
    EXPECT_EQ(Cell(0, 300), "300");
    EXPECT_EQ(Cell(1, 300), "0");
}

TEST_F(GridTest, DeletedRowIsEmptiedInTheGrid) {
    PutSubscriber(1, 1);
    Form();
    EXPECT_EQ(Cell(1, 1), "1");
    Find<QToolButton>("SpeedButton6")->click();
    EXPECT_EQ(Cell(1, 1), "0");
    EXPECT_EQ(Cell(2, 1), "");
    EXPECT_EQ(Cell(5, 1), "");
}

TEST_F(GridTest, ArrowKeysAndWheelFollowTheRowWithinRange) {
    PutSubscriber(2, 2, "Second");
    Form();
    Grid()->setFocus();
    QTest::keyClick(Grid(), Qt::Key_Up);
    EXPECT_EQ(Grid()->CurrentRow(), 1);
    EXPECT_EQ(Label9(), "1");
    QTest::keyClick(Grid(), Qt::Key_Down);
    EXPECT_EQ(Grid()->CurrentRow(), 2);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Second");

    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Grid()->viewport(), &event);
    };
    wheel(-120);
    EXPECT_EQ(Label9(), "3");
    wheel(120);
    wheel(120);
    wheel(120);
    EXPECT_EQ(Grid()->CurrentRow(), 1);
    EXPECT_EQ(Label9(), "1");
    QTest::keyClick(Grid(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Label9(), "300");
    wheel(-120);
    EXPECT_EQ(Grid()->CurrentRow(), 300);
}

// The number column cannot be selected: a key that would move the current
// cell there keeps it in the row's first selectable column, so the row the
// editor shows stays highlighted.
TEST_F(GridTest, CurrentRowStaysHighlightedWhateverKeyMovesIt) {
    PutSubscriber(1, 1, "One");
    Form();
    ClickRow(5);
    auto* grid = Grid();
    grid->setFocus();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
    } keys[] = {
        {Qt::Key_Home, Qt::NoModifier, 5},      {Qt::Key_Left, Qt::NoModifier, 5},
        {Qt::Key_End, Qt::NoModifier, 5},       {Qt::Key_Left, Qt::NoModifier, 5},
        {Qt::Key_Home, Qt::ControlModifier, 1}, {Qt::Key_Left, Qt::NoModifier, 1},
        {Qt::Key_PageDown, Qt::NoModifier, 0},  {Qt::Key_Home, Qt::NoModifier, 0},
    };
    for (const auto& k : keys) {
        QTest::keyClick(grid, k.key, k.modifiers);
        const int row = grid->CurrentRow();
        if (k.row != 0) {
            EXPECT_EQ(row, k.row) << k.key;
        }
        EXPECT_NE(grid->currentIndex().column(), SubscriberGridModel::kNumber) << k.key;
        EXPECT_TRUE(grid->selectionModel()->isRowSelected(row - 1, {})) << k.key;
        EXPECT_EQ(Label9(), QString::number(row)) << k.key;
    }
}

// Scrolled to its end the grid shows the last row whole and its top row
// whole too, with the help pane shown or hidden.
TEST_F(GridTest, ScrolledToTheEndNoRowIsCut) {
    Form();
    auto* grid = Grid();
    for (const bool help : {true, false}) {
        Find<QCheckBox>("CheckBox8")->setChecked(help);
        Form().CheckBox8Click();
        QApplication::processEvents();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QApplication::processEvents();
        const int rowHeight = grid->rowHeight(0);
        EXPECT_EQ(grid->viewport()->height() % rowHeight, 0) << help;
        EXPECT_EQ(grid->rowViewportPosition(grid->rowAt(0)), 0) << help;
        EXPECT_EQ(grid->rowViewportPosition(299) + rowHeight, grid->viewport()->height()) << help;
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
    }
}

TEST_F(GridTest, ClickOnNumberColumnKeepsRowButReloadsSlot) {
    PutSubscriber(1, 1, "One");
    PutSubscriber(2, 2, "Two");
    Form();
    ClickRow(2);
    Find<QLineEdit>("Edit1")->setText("Changed");
    const QRect number = Grid()->visualRect(Grid()->model()->index(0, 0));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, number.center());
    EXPECT_EQ(Grid()->CurrentRow(), 2);
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Two");
}

// A drag moves the current row; "Ок" then acts on that row, so the editor
// must show it rather than the row the press started on.
TEST_F(GridTest, DragToAnotherRowMakesTheEditorFollowIt) {
    PutSubscriber(2, 2, "Two");
    PutSubscriber(5, 5, "Five");
    Form();
    ClickRow(2);
    auto* grid = Grid();
    const QPoint from = grid->visualRect(grid->model()->index(1, 2)).center();
    const QPoint to = grid->visualRect(grid->model()->index(4, 2)).center();
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, grid->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, to);
    ASSERT_EQ(grid->CurrentRow(), 5);
    EXPECT_EQ(Label9(), "5");
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Five");
    Find<QLineEdit>("Edit5")->setText("99");
    Find<QToolButton>("SpeedButton1")->click();
    EXPECT_EQ(image_.Name(5).AbFNS, "Five");
    EXPECT_EQ(image_.Name(2).AbFNS, "Two");
}

TEST_F(GridTest, DoubleClickScrollsRowToTopAndReloads) {
    PutSubscriber(40, 1, "Forty");
    Form();
    Grid()->SetCurrentRow(40);
    Find<QLineEdit>("Edit1")->setText("x");
    emit Grid()->GridDoubleClicked();
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Forty");
    EXPECT_EQ(Grid()->rowAt(0), 39);
    EXPECT_FALSE(Find<QToolButton>("SpeedButton1")->isEnabled());
}

}  // namespace
}  // namespace tulvo::test
