#include "qt_operator.h"

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

QString Title() {
    return QApplication::applicationDisplayName();
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
    box.exec();
}

void QtOperator::ShowCritical(const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, Title(), text, QMessageBox::Ok, parentWindow_);
    if (!detail.isEmpty()) {
        box.setDetailedText(detail);
    }
    box.exec();
}

bool QtOperator::ShowYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Information, Title(), text, QMessageBox::Yes | QMessageBox::No,
                    parentWindow_);
    return box.exec() == QMessageBox::Yes;
}

Operator::Choice QtOperator::ShowAbortIgnoreCancel(const QString& text) {
    QMessageBox box(QMessageBox::Critical, Title(), text,
                    QMessageBox::Abort | QMessageBox::Ignore | QMessageBox::Cancel, parentWindow_);
    switch (box.exec()) {
        case QMessageBox::Abort:
            return Choice::Abort;
        case QMessageBox::Ignore:
            return Choice::Ignore;
        default:
            return Choice::Cancel;
    }
}

}  // namespace tulvo
