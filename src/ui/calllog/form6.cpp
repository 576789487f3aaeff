#include "ui/calllog/form6.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <array>
#include <utility>

#include "actions/call_log_download.h"
#include "calllog/call_log_filter.h"
#include "calllog/call_log_report.h"
#include "model/operator.h"
#include "model/operator_texts.h"
#include "model/t_data.h"
#include "sync/transfer_progress.h"
#include "ui/busy_cursor.h"
#include "ui/calllog/call_log_model.h"
#include "ui/cp1251_text.h"
#include "ui/guarded_call.h"
#include "ui/poll_intervals.h"
#include "ui/sync/read_write_data.h"
#include "ui_form6.h"

namespace tulvo {
namespace {

CallDate ToCallDate(const QDate& date) {
    return {date.year(), date.month(), date.day()};
}

// The call type list: items 0 to 7 are the codes 0 to 7, then come
// "Нет связи" and "Неизвестный".
CallTypeCondition CallTypeOfItem(int item) {
    constexpr int kNoLinkItem = 8;
    constexpr int kUnknownItem = 9;
    using Kind = CallTypeCondition::Kind;
    if (item < 0) {
        return {Kind::Nothing, 0};
    }
    if (item == kNoLinkItem) {
        return {Kind::NoLink, 0};
    }
    return {item == kUnknownItem ? Kind::Unknown : Kind::Code, item};
}

}  // namespace

TForm6::TForm6(TData& image, Operator& op, DeviceAccess device, const std::string& dataDir,
               QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TForm6>()),
      image_(image),
      op_(op),
      device_(std::move(device)),
      storage_(dataDir),
      model_(std::make_unique<CallLogModel>(table_)) {
    ui_->setupUi(this);
    const QDate today = QDate::currentDate();
    ui_->DateTimePicker2->setDate(today);
    ui_->DateTimePicker1->setDate(QDate(today.year(), today.month(), 1));
    ui_->ComboBox1->setCurrentIndex(0);
    ui_->Panel3->hide();
    ui_->Edit1->installEventFilter(this);
    SetUpStatusBar();
    storage_.Load(table_, op_);
    SetUpGrid();
    ConnectControls();
}

TForm6::~TForm6() = default;

void TForm6::SetUpGrid() {
    QTableView* grid = ui_->DBGrid1;
    grid->setModel(model_.get());
    // Fixed row heights: the view never measures a row, so a million scroll at once.
    QHeaderView* rows = grid->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    rows->setFixedWidth(14);
    static constexpr int kWidths[] = {60, 225, 160, 125, 160, 150, 85, 85, 0, 0, 0, 0, 75, 80};
    for (int column = 0; column < model_->columnCount(); ++column) {
        grid->setColumnWidth(column, kWidths[column]);
        grid->setColumnHidden(column, CallLogModel::IsHiddenColumn(column));
    }
    grid->horizontalHeader()->setStretchLastSection(true);
}

void TForm6::SetUpStatusBar() {
    statusText_ = new QLabel(ui_->StatusBar1);
    statusText_->setObjectName(QStringLiteral("StatusBar1Panel0"));
    statusText_->setMinimumWidth(200);
    recordText_ = new QLabel(ui_->StatusBar1);
    recordText_->setObjectName(QStringLiteral("StatusBar1Panel1"));
    recordText_->setMinimumWidth(120);
    progressBar_ = new QProgressBar(ui_->StatusBar1);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setRange(0, 299);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    ui_->StatusBar1->addWidget(statusText_);
    ui_->StatusBar1->addWidget(recordText_);
    ui_->StatusBar1->addWidget(progressBar_, 1);
}

void TForm6::ConnectControls() {
    auto bind = [this](auto* sender, auto signal, void (TForm6::*handler)()) {
        connect(sender, signal, this,
                [this, handler] { GuardedCall(op_, [&] { (this->*handler)(); }); });
    };
    bind(ui_->SpeedButton7, &QToolButton::clicked, &TForm6::SpeedButton7Click);
    bind(ui_->SpeedButton1, &QToolButton::clicked, &TForm6::SpeedButton1Click);
    bind(ui_->SpeedButton2, &QToolButton::clicked, &TForm6::SpeedButton2Click);
    bind(ui_->SpeedButton5, &QToolButton::clicked, &TForm6::SpeedButton5Click);
    bind(ui_->SpeedButton4, &QPushButton::clicked, &TForm6::SpeedButton4Click);
    bind(ui_->SpeedButton3, &QPushButton::clicked, &TForm6::SpeedButton9Click);
}

void TForm6::SetPathChooser(PathChooser chooser) {
    pathChooser_ = std::move(chooser);
}

QString TForm6::StatusText() const {
    return statusText_->text();
}

QString TForm6::RecordText() const {
    return recordText_->text();
}

void TForm6::SetStatusText(const QString& text) {
    statusText_->setText(text);
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    GuardedCall(op_, [this] { FormShow(); });
}

void TForm6::FormShow() {
    // Calls that another program saved since show up too.
    if (!storage_.Current(table_)) {
        model_->BeginTableChange();
        storage_.Refresh(table_, op_);
        model_->EndTableChange();
    }
    QComboBox* lists[] = {ui_->ComboBox2, ui_->ComboBox3};
    for (QComboBox* list : lists) {
        list->clear();
        list->addItems({QStringLiteral("-пустая запись-"), QStringLiteral("Неизвестный"),
                        QStringLiteral("дэактивирован")});
    }
    std::fill(filterIds_.begin(), filterIds_.end(), 0);
    filterIds_[0] = filterIds_[1] = filterIds_[2] = 0xFFFF;
    std::size_t item = 3;
    for (int slot = 1; slot <= TData::kSubscribers && item < filterIds_.size(); ++slot) {
        const ConstAbInfoRecord info = std::as_const(image_).AbInfo(slot);
        const bool active = !info.Empty() && info.Activation();
        const std::string& name = image_.Name(slot).AbFNS;
        QString text;
        if (active) {
            text = name.empty() ? QString::number(slot) : FromCp1251(name);
        } else if (!name.empty()) {
            text = FromCp1251(name);
        } else {
            continue;
        }
        for (QComboBox* list : lists) {
            list->addItem(text);
        }
        filterIds_[item++] = static_cast<std::int32_t>(info.ID());
    }
    for (QComboBox* list : lists) {
        list->setCurrentIndex(0);
    }
}

void TForm6::done(int result) {
    if (busy_) {
        return;  // a download is running; it ends by itself
    }
    GuardedCall(op_, [this] { SaveIfEdited(); });
    QDialog::done(result);
}

void TForm6::SaveIfEdited() {
    if (table_.HasChanges()) {
        SaveTable();
    }
}

bool TForm6::SaveTable() {
    model_->BeginTableChange();
    const bool saved = storage_.Save(table_, op_);
    model_->EndTableChange();
    if (saved) {
        model_->MarkSaved();
    }
    return saved;
}

void TForm6::SetBusy(bool busy) {
    busy_ = busy;
    ui_->Panel1->setEnabled(!busy);
    ui_->Panel3->setEnabled(!busy);
    ui_->DBGrid1->setEnabled(!busy);
}

void TForm6::SpeedButton7Click() {
    // The job only reads the table; the new rows join it on this thread when
    // the job is over, so the grid can keep painting meanwhile.
    CallLogDownload download(device_, image_, storage_);
    const auto status = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, text = QString::fromStdString(text)] { SetStatusText(text); },
            Qt::AutoConnection);
    };
    const auto run = [this](const GatewayActions::Job& job) {
        TReadWriteData thread(job, op_);
        QTimer poll;
        const auto showProgress = [this, &thread] {
            const TransferProgress& progress = thread.Progress();
            progressBar_->setMaximum(std::max(progress.Maximum(), 1));
            progressBar_->setValue(progress.Position());
            recordText_->setText(
                QStringLiteral("запись %1 из %2").arg(progress.Position()).arg(progress.Maximum()));
        };
        connect(&poll, &QTimer::timeout, this, showProgress);
        SetBusy(true);
        poll.start(kProgressRefreshMs);
        thread.start();
        thread.ServeEventsUntilDone();
        poll.stop();
        // Status texts the job queued reach the window before the closing one.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        recordText_->clear();
        progressBar_->setMaximum(std::max(thread.Progress().Maximum(), 1));
        progressBar_->setValue(thread.Progress().Position());
        SetBusy(false);
        return thread.Success();
    };
    download.SetTableChange(
        [this](bool begin) { begin ? model_->BeginTableChange() : model_->EndTableChange(); });
    download.Run(table_, run, status);
    if (!table_.HasChanges()) {
        model_->MarkSaved();
    }
}

void TForm6::SpeedButton1Click() {
    for (QCheckBox* box :
         {ui_->CheckBox1, ui_->CheckBox2, ui_->CheckBox3, ui_->CheckBox4, ui_->CheckBox5}) {
        box->setChecked(false);
    }
    ui_->Panel3->show();
}

void TForm6::SpeedButton9Click() {
    model_->ClearFilter();
    ui_->Panel3->hide();
}

void TForm6::SpeedButton4Click() {
    const NumberPattern pattern = ParseNumberPattern(ui_->Edit1->text().toStdString());
    if (pattern.mode == PatternMode::None) {
        ui_->Edit1->clear();
        ui_->CheckBox4->setChecked(false);
    }
    CallLogFilter filter;
    if (ui_->CheckBox1->isChecked()) {
        filter.callType = CallTypeOfItem(ui_->ComboBox1->currentIndex());
    }
    if (ui_->CheckBox2->isChecked()) {
        filter.calling = SubscriberOfItem(ui_->ComboBox2);
    }
    if (ui_->CheckBox3->isChecked()) {
        filter.called = SubscriberOfItem(ui_->ComboBox3);
    }
    if (ui_->CheckBox4->isChecked()) {
        filter.number = pattern;
    }
    if (ui_->CheckBox5->isChecked()) {
        filter.dates = DateRange{ToCallDate(ui_->DateTimePicker1->date()),
                                 ToCallDate(ui_->DateTimePicker2->date())};
    }
    model_->SetFilter(filter);
}

// The subscriber lists: "-пустая запись-", "Неизвестный", "дэактивирован",
// then the subscribers whose IDs filterIds_ holds. Text typed into a list
// (no item selected) selects nothing.
SubscriberCondition TForm6::SubscriberOfItem(const QComboBox* list) const {
    using Kind = SubscriberCondition::Kind;
    const int index = list->currentIndex();
    if (index < 0 || list->currentText() != list->itemText(index)) {
        return {Kind::Any, 0};
    }
    constexpr std::array<Kind, 3> kFixedItems{Kind::Empty, Kind::Unknown, Kind::Deactivated};
    const auto item = static_cast<std::size_t>(index);
    if (item < kFixedItems.size()) {
        return {kFixedItems[item], 0};
    }
    return {Kind::Id, item < filterIds_.size() ? filterIds_[item] : 0};
}

QString TForm6::ChooseReportFile() {
    if (pathChooser_) {
        return pathChooser_();
    }
    QFileDialog dialog(this, QStringLiteral("Сохранение базы"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("Файл отчёта (*.xls)"));
    dialog.setDefaultSuffix(QStringLiteral("xls"));
    // An existing file is replaced without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().front()
               : QString();
}

void TForm6::SpeedButton2Click() {
    const QString path = ChooseReportFile();
    if (path.isEmpty()) {
        return;
    }
    BusyCursor busy;
    WriteCallLogReport(QFile::encodeName(path).toStdString(), table_, model_->ShownPredicate(),
                       storage_.Path(), op_);
}

void TForm6::SpeedButton5Click() {
    if (!op_.AskYesNo(texts::kLogClearAsk) || !op_.AskYesNo(texts::kLogClearConfirm)) {
        return;
    }
    // While a filter is on, only the rows it shows go.
    const auto shown = model_->ShownPredicate();
    model_->BeginTableChange();
    table_.DeleteIf(shown);
    model_->EndTableChange();
    SaveTable();
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->Edit1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Backspace) {
            return Edit1KeyPress(QChar('\b'));
        }
        if (!key->text().isEmpty() && key->text().at(0).isPrint()) {
            return Edit1KeyPress(key->text().at(0));
        }
    }
    return QDialog::eventFilter(watched, event);
}

// True when the key is taken away from the field.
bool TForm6::Edit1KeyPress(QChar key) {
    const char c = key.unicode() < 0x80 ? static_cast<char>(key.unicode()) : '\x01';
    switch (TypePatternKey(ui_->Edit1->text().toStdString(), patternOpen_, c)) {
        case PatternKey::Accept:
            return false;
        case PatternKey::ClearField:
            ui_->Edit1->clear();
            return true;
        case PatternKey::Drop:
            return true;
    }
    return true;
}

}  // namespace tulvo
