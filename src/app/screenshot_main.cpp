// tulvo-screenshots OUTDIR: renders every window of the desktop program to
// PNG files, with sample data from the demo gateway, for a person to look
// at. Runs on any Qt platform; the build uses the offscreen one.

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "actions/device_link.h"
#include "actions/gateway_actions.h"
#include "actions/port_session.h"
#include "actions/serial_ports.h"
#include "app/demo_gateway.h"
#include "app/demo_image.h"
#include "model/operator.h"
#include "model/t_data.h"
#include "sim/fault_rule.h"
#include "sim/gateway.h"
#include "store/registry_store.h"
#include "sync/firmware_samples.h"
#include "sync/transfer_progress.h"
#include "sync/transfer_stage_text.h"
#include "ui/about/form4.h"
#include "ui/app_context.h"
#include "ui/app_icon.h"
#include "ui/calllog/call_log_model.h"
#include "ui/calllog/form6.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/form7.h"
#include "ui/dialogs/fxo_add_setting.h"
#include "ui/main/form1.h"
#include "ui/main/network_port_menu.h"
#include "ui/qt_operator.h"
#include "ui/qt_translation.h"
#include "ui/screen_fit.h"
#include "ui/sync/acount_ctrl.h"
#include "ui/sync/form10.h"
#include "ui/sync/form12.h"
#include "ui/sync/form14.h"
#include "ui/sync/read_data.h"
#include "ui/sync/set_dev_name_form.h"
#include "ui/sync/set_pin_code_form.h"
#include "ui/sync/sys_info_form.h"
#include "ui/sync/traffic_log_form.h"

namespace tulvo {
namespace {

// Messages go to standard error; questions get "yes".
class PrintingOperator : public Operator {
  public:
    void Message(const std::string& text) override { std::cerr << "message: " << text << '\n'; }
    void Error(const std::string& text) override { std::cerr << "error: " << text << '\n'; }
    bool AskYesNo(const std::string& text) override {
        Message(text);
        return true;
    }
    Choice AskAbortIgnoreCancel(const std::string& text) override {
        Error(text);
        return Choice::Ignore;
    }
};

class Shooter {
  public:
    explicit Shooter(QString dir) : dir_(std::move(dir)) {}

    bool Shoot(QWidget& window, const QString& name) {
        window.show();
        QApplication::processEvents();
        // Once more for what the first paint set off (the main window's first
        // look at the ports).
        QApplication::processEvents();
        const QString path = dir_ + "/" + name + ".png";
        const bool ok = window.grab().save(path);
        std::cout << (ok ? "wrote " : "FAILED ") << path.toStdString() << '\n';
        failures_ += ok ? 0 : 1;
        return ok;
    }
    // For windows whose show would start work (the progress window starts
    // its transfer when shown).
    bool ShootHidden(QWidget& window, const QString& name) {
        window.ensurePolished();
        window.adjustSize();
        const QString path = dir_ + "/" + name + ".png";
        const bool ok = window.grab().save(path);
        std::cout << (ok ? "wrote " : "FAILED ") << path.toStdString() << '\n';
        failures_ += ok ? 0 : 1;
        return ok;
    }
    bool Save(const QPixmap& pixmap, const QString& name) {
        const QString path = dir_ + "/" + name + ".png";
        const bool ok = pixmap.save(path);
        std::cout << (ok ? "wrote " : "FAILED ") << path.toStdString() << '\n';
        failures_ += ok ? 0 : 1;
        return ok;
    }
    int Failures() const { return failures_; }

  private:
    QString dir_;
    int failures_ = 0;
};

// The port is open while the windows that expect an open port are shown.
void ShootDeviceWindows(Shooter& shooter, QWidget* owner, const DeviceAccess& device) {
    std::optional<PortSession> session(std::in_place, device);
    if (!session->IsOpen()) {
        return;
    }
    {
        TTSysInfoForm form(owner, device.port, device.op);
        form.show();
        form.Timer1Timer();
        shooter.Shoot(form, "TTSysInfoForm");
        form.close();
    }
    {
        TAcountCtrl form(device, owner);
        shooter.Shoot(form, "TAcountCtrl");
    }
    session.reset();
    {
        TSetDevNameForm form(device, owner);
        form.findChild<QLineEdit*>("Edit1")->setText("DEMO-01");
        shooter.Shoot(form, "TSetDevNameForm");
    }
    {
        TSetPinCodeForm form(device, owner);
        form.findChild<QLineEdit*>("Edit1")->setText("1234");
        shooter.Shoot(form, "TSetPinCodeForm");
    }
    {
        TForm12 form(device, owner);
        form.findChild<QLineEdit*>("Edit1")->setText("120");
        form.show();
        form.findChild<QToolButton*>("SpeedButton18")->click();
        shooter.Shoot(form, "TForm12");
    }
}

// The traffic log after a read from a gateway that misses two replies and
// breaks one, whole and with the errors only.
void ShootTrafficLog(Shooter& shooter, TForm1& form1, Operator& op) {
    sim::Gateway faulty;
    if (!faulty.Start()) {
        std::cerr << "cannot start the faulty gateway: " << faulty.Error() << '\n';
        return;
    }
    for (const char* rule : {"silent:cmd=07:index=2:count=2", "badheader:cmd=05:index=1:count=1"}) {
        faulty.Faults().Add(*sim::ParseFaultRule(rule));
    }
    const DeviceAccess device{form1.PortMost(), op, [&faulty] { return faulty.DevicePath(); }};
    auto image = std::make_unique<TData>();
    GatewayActions(device).ReadImage(*image, [](const GatewayActions::Job& job) {
        TransferProgress progress;
        return job(progress);
    });
    form1.TrafficLog1Click();
    auto* window = form1.findChild<TTrafficLogForm*>();
    shooter.Shoot(*window, "TTrafficLogForm");
    window->findChild<QCheckBox*>("CheckBox1")->click();
    shooter.Shoot(*window, "TTrafficLogForm_errors_only");
    window->close();
}

// The device parameters dialog, every tab, with a help text on the FXO tab and
// once with the help pane off; the additional settings in both variants.
void ShootParameterDialogs(Shooter& shooter, QWidget* owner, AppContext& context) {
    TForm2 form(context.image, context.store, context.op, {}, owner);
    auto* tabs = form.findChild<QTabWidget*>("PageControl1");
    const char* const names[] = {"general", "fxo", "fxs", "gsm", "extra"};
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        if (i == 1) {
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(form.findChild<QWidget*>("Label7"), &press);
        }
        shooter.Shoot(form, QString("TForm2_%1_%2").arg(i + 1).arg(names[i]));
    }
    tabs->setCurrentIndex(0);
    form.findChild<QCheckBox*>("CheckBox4")->click();
    shooter.Shoot(form, "TForm2_help_hidden");
    form.findChild<QCheckBox*>("CheckBox4")->click();
    form.hide();

    for (const auto variant : {TFXOAddSetting::Variant::Fxo, TFXOAddSetting::Variant::Fxs}) {
        TFXOAddSetting dialog(&form);
        dialog.SetVariant(variant);
        AddSettingValues values;
        values.firstDigitTimeout = 10;
        values.interDigitTimeout = 5;
        values.flashTime = 1;
        values.ringTime1 = 2;
        values.ringTime2 = 4;
        values.endSignal = 1;
        values.endSignalTime = 2;
        dialog.SetValues(values);
        const bool fxo = variant == TFXOAddSetting::Variant::Fxo;
        shooter.Shoot(dialog, fxo ? "TFXOAddSetting_fxo" : "TFXOAddSetting_fxs");
    }
}

// The call log window: the demo gateway's log downloaded, then with the
// filter panel, then a million rows scrolled to the middle.
void ShootCallLog(Shooter& shooter, QWidget* owner, TData& image, Operator& op,
                  const DeviceAccess& device, const QString& folder) {
    {
        TForm6 form(image, op, device, (folder + "/calllog").toStdString(), owner);
        form.show();
        form.SpeedButton7Click();
        shooter.Shoot(form, "TForm6");
        form.SpeedButton1Click();
        shooter.Shoot(form, "TForm6_filter");
    }
    TForm6 form(image, op, device, (folder + "/calllog-million").toStdString(), owner);
    form.Model().BeginTableChange();
    CallLogTable& table = form.Table();
    table.Reserve(1000000);
    for (int i = 0; i < 1000000; ++i) {
        CallLogRow row;
        row.SetInt(CallLogField::CallType, i % 12);
        row.SetTextUtf8(CallLogField::CallTypeStr, i % 2 ? "FXO->Мобильный" : "Мобильный -> FXO");
        row.SetTextUtf8(CallLogField::IdOutStr, i % 3 ? "Иванов Сергей" : "Неизвестный");
        row.SetTextUtf8(CallLogField::IdInStr, "Неизвестный");
        row.SetText(CallLogField::TelNum, "8050" + std::to_string(1000000 + i));
        row.SetText(CallLogField::InTelNum, "8067" + std::to_string(2000000 + i));
        row.SetTime(CallLogField::TimeConnect, CallTime{i % 4000});
        row.SetDate({2026, 1 + i % 12, 1 + i % 28});
        row.SetTime(CallLogField::Time, CallTime{(i * 37) % 86400});
        row.SetText(CallLogField::DeviceName, "GATE0001");
        table.Append(row);
    }
    form.Model().EndTableChange();
    form.show();
    auto* grid = form.findChild<QTableView*>("DBGrid1");
    grid->scrollTo(form.Model().index(500000, 0), QAbstractItemView::PositionAtCenter);
    shooter.Shoot(form, "TForm6_million_rows");
}

// Every tab of a dialog with tabs, one picture each.
void ShootTabs(Shooter& shooter, QWidget& dialog, const QString& name,
               const QStringList& tabNames) {
    auto* tabs = dialog.findChild<QTabWidget*>("PageControl1");
    for (int i = 0; i < tabs->count() && i < tabNames.size(); ++i) {
        tabs->setCurrentIndex(i);
        shooter.Shoot(dialog, name + "_" + tabNames[i]);
    }
}

void ShootSettingsDialogs(Shooter& shooter, QWidget* owner, TData& image, RegistryStore& store,
                          Operator& op) {
    {
        TForm3 form(image, op, owner);
        ShootTabs(shooter, form, "TForm3",
                  {"general", "channel1", "channel2", "channel3", "channel4"});
    }
    {
        TForm7 form(image, store, op, owner);
        ShootTabs(shooter, form, "TForm7", {"black", "white"});
    }
}

// The main window as a 1366 x 768 laptop shows it: placed in the free area
// above a desktop panel, under a drawn title bar of a typical height.
QPixmap OnLaptopScreen(TForm1& form) {
    const QSize screen(1366, 768);
    constexpr int kPanel = 40;
    constexpr int kTitleBar = 30;
    const QRect area(0, 0, screen.width(), screen.height() - kPanel);
    const QRect frame = ScreenFit::PlaceWithin(
        QRect(QPoint(), QSize(form.width(), form.height() + kTitleBar)), area);
    QPixmap canvas(screen);
    canvas.fill(QColor(0x3a, 0x6e, 0xa5));
    QPainter painter(&canvas);
    painter.fillRect(QRect(0, area.bottom() + 1, screen.width(), kPanel), QColor(0x26, 0x26, 0x26));
    painter.fillRect(QRect(frame.topLeft(), QSize(frame.width(), kTitleBar)),
                     QColor(0xd8, 0xd8, 0xd8));
    painter.drawPixmap(frame.left() + 6, frame.top() + 5, form.windowIcon().pixmap(20, 20));
    painter.drawText(QRect(frame.left(), frame.top(), frame.width(), kTitleBar), Qt::AlignCenter,
                     form.windowTitle());
    painter.drawPixmap(frame.left(), frame.top() + kTitleBar, form.grab());
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    return canvas;
}

// The "Файл" menu with its mnemonics and shortcuts, and the port list with
// what each port is.
void ShootMenusAndPorts(Shooter& shooter, TForm1& form) {
    auto* file = form.findChild<QMenu*>("N1");
    file->popup(form.mapToGlobal(QPoint(0, 20)));
    QApplication::processEvents();
    shooter.Save(file->grab(), "TForm1_menu_file");
    file->hide();
    auto* ports = form.findChild<QComboBox*>("ComboBox2");
    ports->showPopup();
    QApplication::processEvents();
    shooter.Save(ports->view()->window()->grab(), "TForm1_port_list");
    ports->hidePopup();
    // A serial device server the operator added, among the COM ports.
    form.NetworkPorts().Restore({"tcp://192.168.1.20:4001"});
    form.findChild<QRadioButton*>("RadioButton2")->click();
    ports->showPopup();
    QApplication::processEvents();
    shooter.Save(ports->view()->window()->grab(), "TForm1_port_list_network");
    ports->hidePopup();
    auto* network = form.findChild<QToolButton*>("NetworkPortButton");
    network->menu()->popup(network->mapToGlobal(QPoint(0, network->height())));
    QApplication::processEvents();
    shooter.Save(network->menu()->grab(), "TForm1_network_port_menu");
    network->menu()->hide();
    form.findChild<QRadioButton*>("RadioButton1")->click();
}

// Qt's standard dialogs as the program shows them, in Russian.
void ShootStandardDialogs(Shooter& shooter, QWidget* owner, const QString& folder) {
    {
        const auto box = QtOperator::Box(QMessageBox::Information, QString::fromUtf8("Продолжить?"),
                                         QMessageBox::Yes | QMessageBox::No, owner);
        shooter.Shoot(*box, "QMessageBox_YesNo");
    }
    {
        const auto box =
            QtOperator::Box(QMessageBox::Information, QString::fromUtf8("Чтение завершено!"),
                            QMessageBox::Ok, owner);
        shooter.Shoot(*box, "QMessageBox_Ok");
    }
    {
        const auto box = QtOperator::YesNoCancelBox(
            QString::fromUtf8("Изменения абонента №1 не приняты кнопкой «Ок». Принять их?"), owner);
        shooter.Shoot(*box, "QMessageBox_YesNoCancel");
    }
    {
        QFileDialog dialog(owner);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix("cnfg");
        dialog.setDirectory(folder);
        dialog.resize(760, 460);
        shooter.Shoot(dialog, "QFileDialog_Save");
    }
}

int Run(const QString& outDir) {
    QDir().mkpath(outDir);
    QTemporaryDir temp;
    RegistryStore store((temp.path() + "/store.reg").toStdString());
    TData image;
    BuildDemoImage(image);
    PrintingOperator op;
    SerialPorts ports(temp.path().toStdString() + "/no-sysfs");

    DemoGateway demo(false);
    if (!demo.Offer(ports, store, image)) {
        std::cerr << "cannot start the demo gateway: " << demo.Error() << '\n';
        return 1;
    }
    AppContext context{image, store, op, ports, LinkSpeed::Short(), temp.path().toStdString()};

    Shooter shooter(outDir);
    TForm1 form1(context);
    shooter.Shoot(form1, "TForm1");
    shooter.Save(OnLaptopScreen(form1), "TForm1_on_1366x768");
    {
        auto* help = form1.findChild<QCheckBox*>("CheckBox8");
        help->click();
        QApplication::processEvents();
        shooter.Shoot(form1, "TForm1_help_hidden");
        shooter.Save(OnLaptopScreen(form1), "TForm1_help_hidden_on_1366x768");
        help->click();
        QApplication::processEvents();
    }
    ShootStandardDialogs(shooter, &form1, temp.path());

    {
        TReadData thread([](TransferProgress&) { return true; }, op);
        TForm10 form(&form1, thread);
        form.findChild<QProgressBar*>("ProgressBar1")
            ->setValue(TransferProgress::kFullTransferSteps / 3);
        form.findChild<QLabel*>("Label1")->setText(QString::fromStdString(
            TransferStageText({TransferProgress::Stage::Subscribers, 123, 300})));
        shooter.ShootHidden(form, "TForm10");
        form.findChild<QPushButton*>("Button1")->click();
        shooter.ShootHidden(form, "TForm10_stopping");
    }
    ShootMenusAndPorts(shooter, form1);

    ShootSettingsDialogs(shooter, &form1, image, store, op);

    const DeviceAccess device{form1.PortMost(), op, [&demo] { return demo.DevicePath(); }};
    ShootCallLog(shooter, &form1, image, op, device, temp.path());
    ShootDeviceWindows(shooter, &form1, device);
    ShootTrafficLog(shooter, form1, op);
    {
        // Sample images picked and sent to a gateway that answers at the
        // real link's pace, so the upload can be caught half way; the bar
        // stays where the voice image left it.
        DemoGateway paced;
        if (!paced.Start()) {
            std::cerr << "cannot start the paced demo gateway: " << paced.Error() << '\n';
            return 1;
        }
        DeviceLink pacedLink(LinkSpeed::Protocol());
        const DeviceAccess pacedDevice =
            pacedLink.Access(op, [&paced] { return paced.DevicePath(); });
        TForm14 form(pacedDevice, &form1);
        struct Pick {
            const char* button;
            const char* file;
            std::vector<std::uint8_t> bytes;
        };
        const Pick picks[] = {{"SpeedButton1", "TProgram_2024.bin", SampleProgramImage(20000)},
                              {"SpeedButton2", "TVoice_2024.bin", SampleVoiceImage(6, 500)}};
        for (const auto& [button, name, bytes] : picks) {
            const QString path = temp.filePath(name);
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size()));
            file.close();
            form.SetPathChooser([path] { return path; });
            form.findChild<QToolButton*>(button)->click();
        }
        form.show();
        // One shot while the program image is half way out.
        auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
        bool shotDuring = false;
        QTimer during;
        during.setInterval(1);
        QObject::connect(&during, &QTimer::timeout, &form, [&] {
            if (!shotDuring && form.Updating() && bar->value() * 2 >= bar->maximum() &&
                bar->value() > 0) {
                shotDuring = true;
                shooter.Shoot(form, "TForm14_sending");
            }
        });
        during.start();
        form.findChild<QPushButton*>("BitBtn1")->click();
        during.stop();
        shooter.Shoot(form, "TForm14");
    }

    ShootParameterDialogs(shooter, &form1, context);

    TForm4 about(&form1);
    shooter.Shoot(about, "TForm4");
    return shooter.Failures() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace tulvo

int main(int argc, char** argv) {
    tulvo::PreferRussianLocale();
    QApplication app(argc, argv);
    QApplication::setWindowIcon(tulvo::AppIcon());
    tulvo::ScreenFit::Install();
    if (!tulvo::InstallQtTranslation(app)) {
        std::cerr << "Qt's Russian translation is not installed: standard dialogs stay English\n";
    }
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString("screenshots");
    return tulvo::Run(outDir);
}
