#include "ui/qt_operator.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <QWidget>

namespace tulvo {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Every box carries the program's caption, the main window's title.
QString Title() {
    return QString::fromUtf8(QtOperator::kCaption);
}

// A box shown during a wait for the gateway (under BusyCursor) gets the
// normal arrow back until it is answered.
class ArrowWhileShown {
  public:
    ArrowWhileShown() : pushed_(QGuiApplication::overrideCursor() != nullptr) {
        if (pushed_) {
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        }
    }
    ~ArrowWhileShown() {
        if (pushed_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    ArrowWhileShown(const ArrowWhileShown&) = delete;
    ArrowWhileShown& operator=(const ArrowWhileShown&) = delete;

  private:
    bool pushed_;
};

int Exec(QMessageBox& box) {
    const ArrowWhileShown arrow;
    return box.exec();
}

}  // namespace

QtOperator::QtOperator(QWidget* parentWindow) : parentWindow_(parentWindow) {}

void QtOperator::SetParentWindow(QWidget* window) {
    parentWindow_ = window;
}

template <typename Fn>
void QtOperator::OnUiThread(Fn&& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(this, std::forward<Fn>(fn), Qt::BlockingQueuedConnection);
}

void QtOperator::Message(const std::string& text) {
    OnUiThread([this, t = FromUtf8(text)] { ShowInformation(t); });
}

void QtOperator::Error(const std::string& text) {
    ErrorWithDetail(text, {});
}

void QtOperator::ErrorWithDetail(const std::string& text, const std::string& detail) {
    OnUiThread([this, t = FromUtf8(text), d = FromUtf8(detail)] { ShowCritical(t, d); });
}

bool QtOperator::AskYesNo(const std::string& text) {
    bool answer = false;
    OnUiThread([this, &answer, t = FromUtf8(text)] { answer = ShowYesNo(t); });
    return answer;
}

Operator::Choice QtOperator::AskAbortIgnoreCancel(const std::string& text) {
    Choice answer = Choice::Cancel;
    OnUiThread([this, &answer, t = FromUtf8(text)] { answer = ShowAbortIgnoreCancel(t); });
    return answer;
}

void QtOperator::ShowInformation(const QString& text) {
    QMessageBox box(QMessageBox::Information, Title(), text, QMessageBox::Ok, parentWindow_);
    Exec(box);
}

void QtOperator::ShowCritical(const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parentWindow_);
    if (!detail.isEmpty()) {
        box.setDetailedText(detail);
    }
    Exec(box);
}

bool QtOperator::ShowYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Information, Title(), text, QMessageBox::Yes | QMessageBox::No,
                    parentWindow_);
    return Exec(box) == QMessageBox::Yes;
}

Operator::Choice QtOperator::ShowAbortIgnoreCancel(const QString& text) {
    QMessageBox box(QMessageBox::Critical, Title(), text,
                    QMessageBox::Abort | QMessageBox::Ignore | QMessageBox::Cancel, parentWindow_);
    // Enter must not pass over a record: Cancel keeps what was not read.
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (Exec(box)) {
        case QMessageBox::Abort:
            return Choice::Abort;
        case QMessageBox::Ignore:
            return Choice::Ignore;
        default:
            return Choice::Cancel;
    }
}

}  // namespace tulvo
