#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "support/recording_operator.h"
#include "ui/busy_cursor.h"
#include "ui/guarded_call.h"
#include "ui/qt_operator.h"
#include "ui/qt_translation.h"

namespace tulvo {
namespace {

struct SeenBox {
    QString title;
    QString text;
    QString detail;
    QStringList buttons;
    bool arrowCursor = false;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton enterButton = QMessageBox::NoButton;
    bool onUiThread = false;
    int titleRoom = 0;  // the box's width less what its title needs
};

// Answers the next message box that appears by pressing `button`.
void AnswerNextBox(QMessageBox::StandardButton button, SeenBox& seen) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, button, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        seen.title = box->windowTitle();
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons.append(b->text().remove(QLatin1Char('&')));
        }
        const QCursor* cursor = QGuiApplication::overrideCursor();
        seen.arrowCursor = cursor == nullptr || cursor->shape() == Qt::ArrowCursor;
        seen.text = box->text();
        seen.detail = box->detailedText();
        seen.icon = box->icon();
        seen.enterButton = box->standardButton(box->defaultButton());
        seen.onUiThread = QThread::currentThread() == qApp->thread();
        seen.titleRoom = box->width() - box->fontMetrics().horizontalAdvance(seen.title);
        timer->stop();
        timer->deleteLater();
        box->button(button)->click();
    });
    timer->start(5);
}

// Spins the event loop until done is set, for at most five seconds.
void WaitFor(const std::atomic<bool>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done.load() && clock.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

TEST(QtOperatorTest, WorkerQuestionWaitsForTheAnswerGivenOnTheUiThread) {
    QtOperator op;
    SeenBox seen;
    AnswerNextBox(QMessageBox::No, seen);
    std::atomic<bool> done{false};
    bool answer = true;
    std::thread worker([&] {
        answer = op.AskYesNo("Продолжить?");
        done = true;
    });
    WaitFor(done);
    worker.join();
    EXPECT_FALSE(answer);
    EXPECT_EQ(seen.text, QString::fromUtf8("Продолжить?"));
    EXPECT_TRUE(seen.onUiThread);
}

TEST(QtOperatorTest, AbortIgnoreCancelMapsEachButton) {
    const std::pair<QMessageBox::StandardButton, Operator::Choice> cases[] = {
        {QMessageBox::Abort, Operator::Choice::Abort},
        {QMessageBox::Ignore, Operator::Choice::Ignore},
        {QMessageBox::Cancel, Operator::Choice::Cancel},
    };
    for (const auto& [button, choice] : cases) {
        QtOperator op;
        SeenBox seen;
        AnswerNextBox(button, seen);
        EXPECT_EQ(op.AskAbortIgnoreCancel("Ошибка"), choice);
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
        // Enter keeps the unread records in the gateway.
        EXPECT_EQ(seen.enterButton, QMessageBox::Cancel);
    }
}

TEST(QtOperatorTest, YesNoCancelMapsEachButton) {
    const std::pair<QMessageBox::StandardButton, Operator::Answer> cases[] = {
        {QMessageBox::Yes, Operator::Answer::Yes},
        {QMessageBox::No, Operator::Answer::No},
        {QMessageBox::Cancel, Operator::Answer::Cancel},
    };
    for (const auto& [button, answer] : cases) {
        QtOperator op;
        SeenBox seen;
        AnswerNextBox(button, seen);
        EXPECT_EQ(op.AskYesNoCancel("Принять?"), answer);
        EXPECT_EQ(seen.buttons.size(), 3);
    }
}

TEST(QtOperatorTest, ErrorWithDetailPutsTheReasonIntoTheDetailText) {
    QtOperator op;
    SeenBox seen;
    AnswerNextBox(QMessageBox::Ok, seen);
    op.ErrorWithDetail("Невозможно открыть порт!", "Permission denied");
    EXPECT_EQ(seen.text, QString::fromUtf8("Невозможно открыть порт!"));
    EXPECT_EQ(seen.detail, QString("Permission denied"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

// Every box carries the program's caption and Qt's buttons in Russian, also
// one that comes up while the program waits with the busy cursor.
TEST(QtOperatorTest, BoxesCarryTheCaptionRussianButtonsAndTheArrow) {
    ASSERT_TRUE(InstallQtTranslation(*QCoreApplication::instance()));
    QtOperator op;
    SeenBox seen;
    {
        const BusyCursor busy;
        AnswerNextBox(QMessageBox::Yes, seen);
        EXPECT_TRUE(op.AskYesNo("Продолжить?"));
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(seen.title, QString::fromUtf8("Конфигуратор TulvoUniversal"));
    EXPECT_TRUE(seen.arrowCursor);
    EXPECT_TRUE(seen.buttons.contains(QString::fromUtf8("Да")))
        << seen.buttons.join(',').toStdString();
    EXPECT_TRUE(seen.buttons.contains(QString::fromUtf8("Нет")));

    // A short text still leaves the whole title room in the title bar, and
    // OK is written as the program's dialogs write it.
    SeenBox message;
    AnswerNextBox(QMessageBox::Ok, message);
    op.Message("Да");
    EXPECT_EQ(message.buttons, QStringList{QString::fromUtf8("ОК")});
    EXPECT_GT(message.titleRoom, 100);
}

// Qt's own dialogs speak Russian whatever the desktop's language, also the
// texts Qt's translation lacks (the file dialog's type column).
TEST(QtTranslationTest, WidgetsAndQtDialogTextsAreRussian) {
    ASSERT_TRUE(InstallQtTranslation(*QCoreApplication::instance()));
    EXPECT_EQ(QLocale().language(), QLocale::Russian);
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"),
              QString::fromUtf8("Папка"));
}

TEST(GuardedCallTest, ShowsTheExceptionTextAndReportsFailure) {
    test::RecordingOperator op;
    EXPECT_FALSE(GuardedCall(op, [] { throw std::runtime_error("Недопустимое значение!"); }));
    ASSERT_EQ(op.entries.size(), 1u);
    EXPECT_EQ(op.entries[0].kind, test::RecordingOperator::Entry::Kind::Error);
    EXPECT_EQ(op.entries[0].text, "Недопустимое значение!");
    EXPECT_TRUE(GuardedCall(op, [] {}));
    EXPECT_EQ(op.entries.size(), 1u);
}

}  // namespace
}  // namespace tulvo
