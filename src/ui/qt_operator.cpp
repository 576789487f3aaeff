#include "ui/qt_operator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGridLayout>
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

// Wide enough for the whole title in the window manager's title bar, with
// room for its buttons: a box sizes itself by its text alone and would cut
// the title short.
void MakeRoomForTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    QFont titleFont = box.font();
    titleFont.setBold(true);
    constexpr int kTitleBarButtons = 160;
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) +
                      kTitleBarButtons - grid->contentsMargins().left() -
                      grid->contentsMargins().right();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

int Exec(QMessageBox& box) {
    const ArrowWhileShown arrow;
    return box.exec();
}

}  // namespace

QtOperator::QtOperator(QWidget* parentWindow) : parentWindow_(parentWindow) {}

std::unique_ptr<QMessageBox> QtOperator::Box(QMessageBox::Icon icon, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(icon, Title(), text, buttons, parent);
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) {
        ok->setText(QString::fromUtf8(kOkText));
    }
    MakeRoomForTitle(*box);
    return box;
}

void QtOperator::SetParentWindow(QWidget* window) {
    parentWindow_ = window;
}

std::any QtOperator::BoxOwner() const {
    return parentWindow_;
}

void QtOperator::SetBoxOwner(const std::any& window) {
    if (QWidget* const* widget = std::any_cast<QWidget*>(&window)) {
        SetParentWindow(*widget);
    }
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

void QtOperator::MessageWithDetail(const std::string& text, const std::string& detail) {
    OnUiThread([this, t = FromUtf8(text), d = FromUtf8(detail)] { ShowInformation(t, d); });
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

Operator::Answer QtOperator::AskYesNoCancel(const std::string& text) {
    Answer answer = Answer::Cancel;
    OnUiThread([this, &answer, t = FromUtf8(text)] { answer = ShowYesNoCancel(t); });
    return answer;
}

void QtOperator::ShowInformation(const QString& text, const QString& detail) {
    const auto box = Box(QMessageBox::Information, text, QMessageBox::Ok, parentWindow_);
    if (!detail.isEmpty()) {
        box->setDetailedText(detail);
    }
    Exec(*box);
}

void QtOperator::ShowCritical(const QString& text, const QString& detail) {
    const auto box = Box(QMessageBox::Critical, text, QMessageBox::Ok, parentWindow_);
    if (!detail.isEmpty()) {
        box->setDetailedText(detail);
    }
    Exec(*box);
}

bool QtOperator::ShowYesNo(const QString& text) {
    return Exec(*Box(QMessageBox::Information, text, QMessageBox::Yes | QMessageBox::No,
                     parentWindow_)) == QMessageBox::Yes;
}

Operator::Choice QtOperator::ShowAbortIgnoreCancel(const QString& text) {
    const auto box =
        Box(QMessageBox::Critical, text,
            QMessageBox::Abort | QMessageBox::Ignore | QMessageBox::Cancel, parentWindow_);
    // Enter must not pass over a record: Cancel keeps what was not read.
    box->setDefaultButton(QMessageBox::Cancel);
    box->setEscapeButton(QMessageBox::Cancel);
    switch (Exec(*box)) {
        case QMessageBox::Abort:
            return Choice::Abort;
        case QMessageBox::Ignore:
            return Choice::Ignore;
        default:
            return Choice::Cancel;
    }
}

std::unique_ptr<QMessageBox> QtOperator::YesNoCancelBox(const QString& text, QWidget* parent) {
    auto box = Box(QMessageBox::Question, text,
                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

Operator::Answer QtOperator::ShowYesNoCancel(const QString& text) {
    const auto box = YesNoCancelBox(text, parentWindow_);
    switch (Exec(*box)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

}  // namespace tulvo
