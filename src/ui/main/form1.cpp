#include "ui/main/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include "actions/subscriber_limit_writer.h"
#include "calllog/call_log_storage.h"
#include "model/operator.h"
#include "model/t_data.h"
#include "store/config_file.h"
#include "store/image_store.h"
#include "store/window_options.h"
#include "ui/about/form4.h"
#include "ui/app_icon.h"
#include "ui/busy_cursor.h"
#include "ui/calllog/form6.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/form7.h"
#include "ui/flow_layout.h"
#include "ui/guarded_call.h"
#include "ui/main/connection_bar.h"
#include "ui/main/help_pane.h"
#include "ui/main/network_port_menu.h"
#include "ui/main/subscriber_editor.h"
#include "ui/main/subscriber_grid_model.h"
#include "ui/main/tray_controller.h"
#include "ui/main/whole_rows_frame.h"
#include "ui/screen_fit.h"
#include "ui/sync/acount_ctrl.h"
#include "ui/sync/form10.h"
#include "ui/sync/form12.h"
#include "ui/sync/set_dev_name_form.h"
#include "ui/sync/set_pin_code_form.h"
#include "ui/sync/sys_info_form.h"
#include "ui/sync/traffic_log_form.h"
#include "ui_form1.h"

namespace tulvo {

namespace {

constexpr const char* kConfigSuffix = "cnfg";
// Wide enough for the grid's columns beside the editor; the height is what
// the editor needs, so the window fits a 1366 x 768 screen with a title bar
// and a desktop panel.
constexpr int kWindowWidth = 1140;

// The window a source gives, or none when there is no source.
template <typename Window>
Window* WindowFrom(const std::function<Window*()>& source) {
    return source ? source() : nullptr;
}

}  // namespace

TForm1::TForm1(AppContext& context, QWidget* parent)
    : QMainWindow(parent),
      context_(context),
      ui_(std::make_unique<Ui::TForm1>()),
      link_(context.linkSpeed, &traceLog_),
      grid_(new SubscriberGridModel(this)) {
    ui_->setupUi(this);
    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
    // The help pane follows application-wide focus changes; it goes first so
    // the focus moves while the controls are destroyed do not reach it.
    delete helpPane_;
    helpPane_ = nullptr;
}

void TForm1::FormCreate() {
    SetUpWindow();
    // On a narrow screen the toolbars wrap onto further rows rather than
    // push the editor out of sight.
    FlowLayout::Replace(*ui_->ToolBar2);
    FlowLayout::Replace(*ui_->ToolBar1);
    ScrollCentralContent();
    SetUpIcons();
    SetUpStatusBar();
    ui_->StringGrid1->Attach(grid_);
    const int gridAt = ui_->LeftLayout->indexOf(ui_->StringGrid1);
    ui_->LeftLayout->insertWidget(gridAt, new WholeRowsFrame(ui_->StringGrid1, content_));
    SubscriberEditor::Hooks hooks{
        .currentRow = [this] { return ui_->StringGrid1->CurrentRow(); },
        .fillGrid = [this] { FillGrid(); },
        .saveSlot = [this](int n) { SaveSubscribers(context_.image, context_.store, n); },
        .scrollRowToTop = [this](int n) { ui_->StringGrid1->ScrollRowToTop(n); },
        .message = [this](const char* text) { context_.op.Message(text); },
    };
    editor_ = new SubscriberEditor(*ui_, context_.image, std::move(hooks), this);
    connectionBar_ = new ConnectionBar(context_.ports, ui_->RadioButton1, ui_->RadioButton2,
                                       ui_->ComboBox2, this);
    networkPorts_ = new NetworkPortMenu(ui_->NetworkPortButton, context_.ports, *connectionBar_,
                                        context_.op, this);
    // An added or removed network port is kept at once, not only at exit.
    networkPorts_->SetChanged([this] { SaveMainWindowOptions(context_.store, CurrentOptions()); });
    tray_ = new TrayController(this, windowIcon(), ui_->N900, ui_->N901, this);
    tray_->SetQuitCheck([this] { return SettleEditorChanges(); });
    SetUpHelp();

    const MainWindowOptions options = LoadMainWindowOptions(context_.store);
    networkPorts_->Restore(options.networkPorts);
    connectionBar_->Restore(options.portName, options.usbCom);
    ui_->CheckBox8->setChecked(options.abHelpEnable);
    helpPane_->SetEnabled(options.abHelpEnable);
    ui_->VerifyRead->setChecked(options.verifyRead);

    FillGrid();
    ConnectActions();
    SetUpKeys();
    ConnectGrid();
    FitWindow();
}

void TForm1::SetUpWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The application's icon when the program set one, else drawn here.
    if (QApplication::windowIcon().isNull()) {
        setWindowIcon(AppIcon());
    }
}

void TForm1::ScrollCentralContent() {
    content_ = takeCentralWidget();
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content_);
    setCentralWidget(scroll);
}

// As tall as the menu, the content and the status bar need, the content at
// the given width (the toolbars may wrap).
int TForm1::DesignedHeight(int width) const {
    const int content = std::max(content_->minimumSizeHint().height(),
                                 content_->layout()->totalHeightForWidth(width));
    return menuBar()->sizeHint().height() + content + statusBar()->sizeHint().height();
}

void TForm1::FitWindow() {
    // The window is exactly as tall as its contents need: hiding the help
    // pane removes its height from the window instead of spreading the
    // editor's controls over the free room. The layouts keep their children's sizes until the next
    // event loop pass; the pane was just shown or hidden, so they are asked afresh.
    ui_->Panel2->updateGeometry();
    content_->updateGeometry();
    content_->layout()->invalidate();
    layout()->invalidate();
    // On a screen too small for it the window takes the room there is and
    // its content scrolls.
    const QSize room = ScreenFit::RoomFor(*this);
    const int width = std::min(kWindowWidth, room.width());
    setFixedSize(QSize(width, DesignedHeight(width)).boundedTo(room));
}

void TForm1::SetUpIcons() {
    const struct {
        QToolButton* button;
        QStyle::StandardPixmap pixmap;
    } icons[] = {
        {ui_->SpeedButton3, QStyle::SP_DialogSaveButton},
        {ui_->SpeedButton4, QStyle::SP_DialogOpenButton},
        {ui_->SpeedButton81, QStyle::SP_TitleBarMinButton},
        {ui_->SpeedButton18, QStyle::SP_ArrowDown},
        {ui_->SpeedButton19, QStyle::SP_ArrowUp},
        {ui_->SpeedButton5, QStyle::SP_FileDialogDetailedView},
        {ui_->SpeedButton17, QStyle::SP_FileDialogListView},
        {ui_->SpeedButton7, QStyle::SP_MessageBoxWarning},
        {ui_->SpeedButton29, QStyle::SP_DialogApplyButton},
        {ui_->SpeedButton1, QStyle::SP_DialogOkButton},
        {ui_->SpeedButton2, QStyle::SP_DialogCancelButton},
        {ui_->SpeedButton6, QStyle::SP_TrashIcon},
    };
    // One pixmap each: a full standard icon loads every size it has, which
    // costs several times more at start-up.
    for (const auto& entry : icons) {
        entry.button->setIcon(QIcon(style()->standardPixmap(entry.pixmap, nullptr, this)));
    }
    // The window of the parameters dialog is not part of this program yet:
    // its button is present but disabled.
    for (QToolButton* b : {ui_->SpeedButton5}) {
        b->setEnabled(false);
    }
}

void TForm1::SetUpStatusBar() {
    auto* first = new QLabel(ui_->StatusBar1);
    first->setObjectName(QStringLiteral("StatusBar1Panel0"));
    first->setAlignment(Qt::AlignCenter);
    first->setMinimumWidth(300);
    auto* second = new QLabel(ui_->StatusBar1);
    second->setObjectName(QStringLiteral("StatusBar1Panel1"));
    second->setMinimumWidth(300);
    // The window has a fixed size: no size grip.
    ui_->StatusBar1->setSizeGripEnabled(false);
    progressBar_ = new QProgressBar(ui_->StatusBar1);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 299);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    ui_->StatusBar1->addWidget(first);
    ui_->StatusBar1->addWidget(second);
    ui_->StatusBar1->addWidget(progressBar_, 1);
}

void TForm1::SetUpHelp() {
    using T = HelpTexts::Topic;
    helpPane_ = new HelpPane(ui_->GroupBox3, ui_->ListBox1, ui_->Panel2, this);
    helpPane_->Bind(T::Edit1, {ui_->Edit1}, {ui_->Label2});
    helpPane_->Bind(T::Edit2, {ui_->Edit2}, {ui_->Label3});
    helpPane_->Bind(T::Edit4, {ui_->Edit4}, {ui_->Label5});
    helpPane_->Bind(T::Edit3, {ui_->Edit3}, {ui_->Label6});
    helpPane_->Bind(T::ComboBox1, {ui_->ComboBox1}, {ui_->Label10});
    helpPane_->Bind(T::Edit5, {ui_->Edit5}, {ui_->Label11});
    helpPane_->Bind(T::CheckBox3, {ui_->CheckBox3});
    helpPane_->Bind(T::CheckBox2, {ui_->CheckBox2});
    helpPane_->Bind(T::CheckBox4, {ui_->CheckBox4});
    helpPane_->Bind(T::CheckBox7, {ui_->CheckBox7});
    helpPane_->Bind(T::RadioGroup1,
                    {ui_->RadioGroup1Item0, ui_->RadioGroup1Item1, ui_->RadioGroup1Item2});
    helpPane_->Bind(T::GroupBox1, {ui_->CheckBox5, ui_->CheckBox6, ui_->CheckBox1});
    helpPane_->Bind(T::CheckBox9, {ui_->CheckBox9});
    helpPane_->BindClick(T::Edit7, ui_->Edit7);
}

template <typename Sender, typename Signal>
void TForm1::Bind(Sender* sender, Signal signal, void (TForm1::*handler)()) {
    connect(sender, signal, this,
            [this, handler] { GuardedCall(context_.op, [&] { (this->*handler)(); }); });
}

void TForm1::ConnectActions() {
    Bind(ui_->N4, &QAction::triggered, &TForm1::ExitAsked);
    Bind(ui_->N2, &QAction::triggered, &TForm1::SpeedButton8Click);
    Bind(ui_->N3, &QAction::triggered, &TForm1::SpeedButton9Click);
    Bind(ui_->SpeedButton3, &QToolButton::clicked, &TForm1::SpeedButton8Click);
    Bind(ui_->SpeedButton4, &QToolButton::clicked, &TForm1::SpeedButton9Click);
    Bind(ui_->N12, &QAction::triggered, &TForm1::N12Click);
    Bind(ui_->N13, &QAction::triggered, &TForm1::N13Click);
    Bind(ui_->SpeedButton18, &QToolButton::clicked, &TForm1::N12Click);
    Bind(ui_->SpeedButton19, &QToolButton::clicked, &TForm1::N13Click);
    Bind(ui_->IMEI1, &QAction::triggered, &TForm1::IMEI1Click);
    Bind(ui_->TrafficLog1, &QAction::triggered, &TForm1::TrafficLog1Click);
    Bind(ui_->N9, &QAction::triggered, &TForm1::N9Click);
    Bind(ui_->N7, &QAction::triggered, &TForm1::N7Click);
    Bind(ui_->N8, &QAction::triggered, &TForm1::N8Click);
    Bind(ui_->N5, &QAction::triggered, &TForm1::N5Click);
    Bind(ui_->SpeedButton5, &QToolButton::clicked, &TForm1::N5Click);
    Bind(ui_->N09, &QAction::triggered, &TForm1::N09Click);
    Bind(ui_->PIN1, &QAction::triggered, &TForm1::PIN1Click);
    Bind(ui_->SpeedButton81, &QToolButton::clicked, &TForm1::SpeedButton81Click);
    Bind(ui_->SpeedButton29, &QToolButton::clicked, &TForm1::SpeedButton29Click);
    Bind(ui_->CheckBox8, &QCheckBox::clicked, &TForm1::CheckBox8Click);
    Bind(ui_->N6, &QAction::triggered, &TForm1::N6Click);
    Bind(ui_->SpeedButton7, &QToolButton::clicked, &TForm1::N6Click);
    Bind(ui_->N15, &QAction::triggered, &TForm1::N15Click);
    Bind(ui_->N14, &QAction::triggered, &TForm1::N14Click);
    Bind(ui_->SpeedButton17, &QToolButton::clicked, &TForm1::N15Click);
}

// The menu shortcuts live with their actions in the form; F1 shows or hides
// the help pane as its check box does.
void TForm1::SetUpKeys() {
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setObjectName(QStringLiteral("HelpShortcut"));
    connect(help, &QShortcut::activated, ui_->CheckBox8, &QCheckBox::click);
}

void TForm1::ConnectGrid() {
    SubscriberGridView* grid = ui_->StringGrid1;
    connect(grid, &SubscriberGridView::RowFollowed, this,
            [this](int n) { GuardedCall(context_.op, [&] { editor_->FollowRow(n); }); });
    connect(grid, &SubscriberGridView::GridDoubleClicked, this,
            [this] { GuardedCall(context_.op, [&] { editor_->StringGrid1DblClick(); }); });
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm1::FormShow() {
    // The controls take their final sizes once shown: measured again.
    FitWindow();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        // Before the window manager has said how large the frame is.
        if (frame.size() == size()) {
            frame = frame.marginsAdded(ScreenFit::kFrameAllowance);
        }
        move(ScreenFit::PlaceWithin(frame, screen->availableGeometry()).topLeft());
    }
    connectionBar_->Start();
    GuardedCall(context_.op, [this] { editor_->FollowRow(ui_->StringGrid1->CurrentRow()); });
}

void TForm1::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (!painted_) {
        painted_ = true;
        // The first look at the ports comes right after the window is on
        // screen rather than a second later, so the box is not empty
        // meanwhile; the window does not wait for it.
        QTimer::singleShot(0, connectionBar_, &ConnectionBar::Timer1Timer);
    }
}

void TForm1::FormDestroy() {
    SaveMainWindowOptions(context_.store, CurrentOptions());
    link_.Close();
}

MainWindowOptions TForm1::CurrentOptions() const {
    return {.portName = connectionBar_->ChosenPort(),
            .usbCom = ui_->RadioButton1->isChecked(),
            .abHelpEnable = ui_->CheckBox8->isChecked(),
            .verifyRead = ui_->VerifyRead->isChecked(),
            .networkPorts = networkPorts_->Addresses()};
}

void TForm1::changeEvent(QEvent* event) {
    // While the tray icon shows, minimising hides the window to the tray.
    if (event->type() == QEvent::WindowStateChange && isMinimized() && tray_->IconVisible()) {
        hide();
    }
    QMainWindow::changeEvent(event);
}

void TForm1::FillGrid() {
    grid_->FillGrid(context_.image);
}

std::string TForm1::GetPortName() const {
    return connectionBar_->GetPortName();
}

DeviceAccess TForm1::Device() {
    return link_.Access(context_.op, [this] { return GetPortName(); });
}

void TForm1::SetPathChooser(PathChooser chooser) {
    pathChooser_ = std::move(chooser);
}

QString TForm1::ChooseFile(bool save) {
    if (pathChooser_) {
        return pathChooser_(save);
    }
    QFileDialog dialog(this);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kConfigSuffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void TForm1::N4Click() {
    close();
}

void TForm1::ExitAsked() {
    if (SettleEditorChanges()) {
        N4Click();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (event->spontaneous() && !SettleEditorChanges()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool TForm1::SettleEditorChanges() {
    if (!editor_->HasUnconfirmedChanges()) {
        return true;
    }
    const std::string question = "Изменения абонента №" +
                                 std::to_string(ui_->StringGrid1->CurrentRow()) +
                                 " не приняты кнопкой «Ок». Принять их?";
    switch (context_.op.AskYesNoCancel(question)) {
        case Operator::Answer::Yes:
            return editor_->ApplyChanges();
        case Operator::Answer::No:
            editor_->StringGrid1DblClick();
            return true;
        case Operator::Answer::Cancel:
            break;
    }
    return false;
}

void TForm1::N12Click() {
    if (!SettleEditorChanges()) {
        return;
    }
    TForm10::ReadEverything(
        this, {context_.image, context_.store}, Device(), [this] { FillGrid(); },
        ui_->VerifyRead->isChecked());
}

void TForm1::N13Click() {
    if (!SettleEditorChanges()) {
        return;
    }
    TForm10::WriteEverything(this, context_.image, Device());
}

void TForm1::SpeedButton8Click() {
    if (!SettleEditorChanges()) {
        return;
    }
    const QString path = ChooseFile(true);
    if (!path.isEmpty()) {
        SaveConfigFile(context_.image, path.toStdString(), context_.op);
    }
}

void TForm1::SpeedButton9Click() {
    if (!SettleEditorChanges()) {
        return;
    }
    const QString path = ChooseFile(false);
    if (!path.isEmpty()) {
        LoadConfigFrom(path);
    }
}

void TForm1::OfferConfigFile(const QString& path) {
    GuardedCall(context_.op, [&] {
        const std::string question = "Загрузить настройки из файла " + path.toStdString() +
                                     "?\nНастройки в программе будут заменены.";
        if (context_.op.AskYesNo(question)) {
            LoadConfigFrom(path);
        }
    });
}

void TForm1::LoadConfigFrom(const QString& path) {
    // A value refused by a record's own check ends the load; the grid then
    // keeps what it showed.
    const ConfigLoadResult result =
        LoadConfigFile(context_.image, QFile::encodeName(path).toStdString(), context_.op);
    if (!result.stopped) {
        FillGrid();
    }
}

void TForm1::IMEI1Click() {
    TTSysInfoForm::ShowDeviceInformation(this, Device());
}

void TForm1::TrafficLog1Click() {
    ShowTrafficLog();
}

void TForm1::ShowTrafficLog() {
    if (trafficLog_ == nullptr) {
        trafficLog_ = new TTrafficLogForm(traceLog_, context_.op, this);
        trafficLog_->SetOwnFiles({context_.store.Path(), CallLogStorage::PathIn(context_.dataDir)});
    }
    trafficLog_->show();
    trafficLog_->raise();
    trafficLog_->activateWindow();
}

void TForm1::N9Click() {
    if (TAcountCtrl* window = WindowFrom(accountWindow_)) {
        window->ShowBalance();
    }
}

void TForm1::N7Click() {
    if (TForm12* window = WindowFrom(totalLimitWindow_)) {
        window->exec();
    }
}

void TForm1::SetParametersWindow(WindowSource<TForm2> window) {
    parametersWindow_ = std::move(window);
    ui_->N5->setEnabled(static_cast<bool>(parametersWindow_));
    ui_->SpeedButton5->setEnabled(static_cast<bool>(parametersWindow_));
}

void TForm1::N5Click() {
    if (TForm2* window = WindowFrom(parametersWindow_)) {
        window->exec();
    }
}

void TForm1::N6Click() {
    TForm3::Edit(this, context_.image, context_.op);
}

void TForm1::N15Click() {
    if (TForm7* window = WindowFrom(blackListWindow_)) {
        window->exec();
    }
}

void TForm1::SetCallLogWindow(WindowSource<TForm6> window) {
    callLogWindow_ = std::move(window);
    ui_->N14->setEnabled(static_cast<bool>(callLogWindow_));
}

void TForm1::N14Click() {
    if (TForm6* window = WindowFrom(callLogWindow_)) {
        window->exec();
    }
}

void TForm1::N8Click() {
    TForm4::ShowAbout(this);
}

void TForm1::N09Click() {
    TSetDevNameForm::EditIdentifier(this, Device());
}

void TForm1::PIN1Click() {
    TSetPinCodeForm::EnterPin(this, Device());
}

void TForm1::SpeedButton81Click() {
    tray_->HideToTray();
}

void TForm1::SpeedButton29Click() {
    const int n = ui_->StringGrid1->CurrentRow();
    const SubscriberLimitWriter::Request request{
        .limitOn = ui_->CheckBox9->isChecked(),
        .limitIn = ui_->CheckBox10->isChecked(),
        .limitOut = ui_->CheckBox11->isChecked(),
        .minutes = ui_->Edit6->text().toStdString(),
    };
    SubscriberLimitWriter writer(context_.image, Device());
    // A silent gateway keeps the program waiting for its time-outs.
    const BusyCursor busy;
    if (writer.Write(n, request)) {
        editor_->ShowSubscriber(n, true);
    }
}

void TForm1::CheckBox8Click() {
    helpPane_->SetEnabled(ui_->CheckBox8->isChecked());
    FitWindow();
}

}  // namespace tulvo
