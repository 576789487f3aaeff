#include "ui/sync/traffic_log_form.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <string>

#include "actions/trace_log.h"
#include "model/operator.h"
#include "store/atomic_file.h"
#include "store/store_file_checks.h"
#include "ui/guarded_call.h"
#include "ui_traffic_log_form.h"

namespace tulvo {

TTrafficLogForm::TTrafficLogForm(TraceLog& log, Operator& op, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TTrafficLogForm>()), log_(log), op_(op) {
    ui_->setupUi(this);
    setModal(false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint);
    // The view holds no more than the log does, so it stays bounded too.
    ui_->Memo1->setMaximumBlockCount(static_cast<int>(log_.Capacity()));
    ui_->Memo1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    timer1_.setParent(this);
    timer1_.setObjectName("Timer1");
    timer1_.setInterval(kRefreshMs);
    connect(&timer1_, &QTimer::timeout, this, &TTrafficLogForm::Timer1Timer);
    connect(ui_->CheckBox1, &QCheckBox::toggled, this, &TTrafficLogForm::CheckBox1Click);
    connect(ui_->Button1, &QPushButton::clicked, this,
            [this] { GuardedCall(op_, [this] { Button1Click(); }); });
    connect(ui_->Button2, &QPushButton::clicked, this, &TTrafficLogForm::Button2Click);
}

TTrafficLogForm::~TTrafficLogForm() = default;

void TTrafficLogForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Timer1Timer();
    timer1_.start();
}

void TTrafficLogForm::hideEvent(QHideEvent* event) {
    timer1_.stop();
    QDialog::hideEvent(event);
}

QString TTrafficLogForm::VisibleText(std::uint64_t after, std::uint64_t& last) const {
    const bool troubleOnly = ui_->CheckBox1->isChecked();
    std::string text;
    last = after;
    for (const TraceLog::Line& line : log_.LinesAfter(after)) {
        last = line.sequence;
        if (troubleOnly && !line.trouble) {
            continue;
        }
        if (!text.empty()) {
            text += '\n';
        }
        text += line.text;
    }
    return QString::fromStdString(text);
}

void TTrafficLogForm::Timer1Timer() {
    const QString text = VisibleText(shownUpTo_, shownUpTo_);
    if (!text.isEmpty()) {
        // Appending keeps the view where the operator scrolled to, unless
        // it was at the end: then it follows the new lines.
        ui_->Memo1->appendPlainText(text);
    }
}

void TTrafficLogForm::Rebuild() {
    ui_->Memo1->clear();
    shownUpTo_ = 0;
    Timer1Timer();
    ui_->Memo1->verticalScrollBar()->setValue(ui_->Memo1->verticalScrollBar()->maximum());
}

void TTrafficLogForm::CheckBox1Click() {
    Rebuild();
}

void TTrafficLogForm::Button2Click() {
    log_.Clear();
    Rebuild();
}

QString TTrafficLogForm::ChooseFile() {
    if (pathChooser_) {
        return pathChooser_();
    }
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SaveDialog1"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(
        {QStringLiteral("Журнал обмена (*.log *.txt)"), QStringLiteral("Все файлы (*)")});
    dialog.setDefaultSuffix(QStringLiteral("log"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

// The file gets the lines as the view shows them (all, or the errors only),
// taken from the log, so what the view has not fetched yet is in it too.
void TTrafficLogForm::Button1Click() {
    const QString path = ChooseFile();
    if (path.isEmpty()) {
        return;
    }
    std::uint64_t last = 0;
    std::string text = VisibleText(0, last).toStdString();
    if (!text.empty()) {
        text += '\n';
    }
    const std::string file = path.toStdString();
    for (const std::string& own : ownFiles_) {
        if (store_file_checks::SameFile(file, own)) {
            op_.ErrorWithDetail("Невозможно сохранить файл " + file + "!", "это файл " + own);
            return;
        }
    }
    if (const AtomicWriteResult written = WriteFileAtomically(file, text); !written) {
        op_.ErrorWithDetail("Невозможно сохранить файл " + file + "!", written.error);
    }
}

}  // namespace tulvo
