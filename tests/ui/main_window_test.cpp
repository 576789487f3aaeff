#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>

#include "e2e/device_server.h"
#include "main_form_fixture.h"
#include "sim/gateway.h"
#include "store/image_store.h"
#include "ui/main/network_port_menu.h"
#include "ui/main/subscriber_grid_model.h"
#include "ui/screen_fit.h"

namespace tulvo::test {
namespace {

using Kind = RecordingOperator::Entry::Kind;

class WindowOptionsTest : public MainFormTest {
  protected:
    // Reads the Setting key as a second program would.
    std::optional<bool> StoredBool(const char* name) {
        RegistryStore store((dir_ / "MTulvo.reg").string());
        return store.OpenKey(kSettingKey).ReadBool(name);
    }
    std::optional<std::string> StoredString(const char* name) {
        RegistryStore store((dir_ / "MTulvo.reg").string());
        return store.OpenKey(kSettingKey).ReadString(name);
    }
};

TEST_F(WindowOptionsTest, FirstRunChoosesComShowsHelpAndWritesTheDefaults) {
    Form();
    EXPECT_TRUE(Find<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_FALSE(Find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("CheckBox8")->isChecked());
    EXPECT_TRUE(Find<QGroupBox>("GroupBox3")->isVisible());
    EXPECT_EQ(StoredBool("USB_COM"), false);
    EXPECT_EQ(StoredBool("ABHelpEnable"), true);
    EXPECT_TRUE(StoredString("PortName").has_value());
}

TEST_F(WindowOptionsTest, NetworkPortAddedOnceIsOfferedOnEveryStartUntilRemoved) {
    QString typed;
    Form().NetworkPorts().SetAddressAsker([&] { return std::optional(typed); });
    typed = "tcp://10.0.0.5";
    Form().NetworkPorts().AddClick();
    ASSERT_EQ(op_.Texts().size(), 1u);
    EXPECT_EQ(op_.Texts()[0].rfind("Неверный сетевой адрес «tcp://10.0.0.5»", 0), 0u);
    EXPECT_FALSE(StoredString("NetworkPorts").has_value());

    Find<QRadioButton>("RadioButton1")->click();
    typed = "tcp://10.0.0.5:4001";
    Form().NetworkPorts().AddClick();
    EXPECT_TRUE(Find<QRadioButton>("RadioButton2")->isChecked());
    EXPECT_EQ(Form().GetPortName(), "tcp://10.0.0.5:4001");
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentText(), "10.0.0.5:4001");
    EXPECT_EQ(StoredString("NetworkPorts"), "tcp://10.0.0.5:4001");  // kept at once

    // The next start: a new program, which knows no such port by itself.
    form_.reset();
    ports_ = std::make_unique<SerialPorts>(dir_ / "sys");
    Restart();
    Find<QRadioButton>("RadioButton2")->click();
    EXPECT_EQ(Form().GetPortName(), "tcp://10.0.0.5:4001");

    Form().NetworkPorts().Remove("tcp://10.0.0.5:4001");
    EXPECT_EQ(Form().GetPortName(), "");
    EXPECT_EQ(StoredString("NetworkPorts"), "");
}

TEST_F(WindowOptionsTest, HelpPaneOffAndUsbChoiceSurviveARestart) {
    Form();
    Find<QCheckBox>("CheckBox8")->click();
    EXPECT_FALSE(Find<QGroupBox>("GroupBox3")->isVisible());
    Find<QRadioButton>("RadioButton1")->click();
    Restart();
    EXPECT_FALSE(Find<QCheckBox>("CheckBox8")->isChecked());
    EXPECT_FALSE(Find<QGroupBox>("GroupBox3")->isVisible());
    EXPECT_TRUE(Find<QRadioButton>("RadioButton1")->isChecked());
    EXPECT_EQ(StoredBool("USB_COM"), true);
    EXPECT_EQ(StoredBool("ABHelpEnable"), false);
}

TEST_F(WindowOptionsTest, FocusOnFieldFillsHelpPaneAndLeavingPanelClearsIt) {
    Form().activateWindow();
    auto* list = Find<QListWidget>("ListBox1");
    Find<QLineEdit>("Edit5")->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QString::fromUtf8("  Введите пароль абонента."));
    Find<QWidget>("StringGrid1")->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(list->count(), 0);
}

TEST_F(WindowOptionsTest, EachFieldAndLabelShowsItsOwnHelp) {
    const struct {
        const char* widget;
        bool click;  // labels and Edit7 answer a click, fields their focus
        const char* firstLine;
        int lines;
    } cases[] = {
        {"Edit1", false, "  Введите фамилию и имя абонента,", 2},
        {"Label3", true, "  Введите номер телефона абонента. ", 10},
        {"Edit4", false, "  Введите лимит времени на ", 2},
        {"Label6", true, "  Введите лимит времени на ", 2},
        {"ComboBox1", false, "  Выберете группу к которой будет ", 7},
        {"Label11", true, "  Введите пароль абонента.", 3},
        {"CheckBox3", false, "  Установите этот флажок, чтобы", 3},
        {"CheckBox2", false, "  Снимите этот флажок, чтобы запре-", 8},
        {"CheckBox4", false, "  Снимите этот флажок, чтобы", 3},
        {"CheckBox7", false, "  Установите этот флажок, чтобы", 7},
        {"RadioGroup1Item2", false, "  Выберете линию используемую ", 8},
        {"CheckBox6", false, "  Установите флажки, напротив", 4},
        {"CheckBox9", false, "  Установка общего лимита времени", 6},
        {"Edit7", true, " Остаток времени", 3},
    };
    Form().activateWindow();
    auto* list = Find<QListWidget>("ListBox1");
    for (const auto& c : cases) {
        list->clear();
        auto* widget = Find<QWidget>(c.widget);
        widget->setEnabled(true);
        if (c.click) {
            QTest::mouseClick(widget, Qt::LeftButton);
        } else {
            widget->setFocus();
            QApplication::processEvents();
        }
        ASSERT_EQ(list->count(), c.lines) << c.widget;
        EXPECT_EQ(list->item(0)->text(), QString::fromUtf8(c.firstLine)) << c.widget;
    }
}

// The window's own texts, and which items are hidden or not yet available.
class WindowTextsTest : public MainFormTest {};

TEST_F(WindowTextsTest, MenuItemsHaveTheirCaptionsAndState) {
    enum State { kOn, kHidden, kDisabled };
    const struct {
        const char* action;
        const char* text;
        State state;
    } items[] = {
        {"N4", "Выход", kOn},
        {"N2", "Сохранить", kOn},
        {"N3", "Загрузить", kOn},
        {"N5", "GSM шлюза", kDisabled},
        {"N6", "Оповещения", kOn},
        {"N15", "Черный/Белый список", kOn},
        {"N09", "Идентификатор устойства", kHidden},
        {"PIN1", "Ввести PIN код", kHidden},
        {"N12", "Чтение", kOn},
        {"N13", "Запись", kOn},
        {"N14", "База звонков", kDisabled},
        {"N7", "Установка общего лимита времени", kHidden},
        {"N8", "О программе", kOn},
        {"IMEI1", "№ версии прошивки Tulvo Universal, IMEI код", kOn},
        {"N9", "Счет", kHidden},
        {"N900", "Открыть", kOn},
        {"N901", "Выйти", kOn},
    };
    for (const auto& item : items) {
        auto* action = Form().findChild<QAction*>(QString::fromLatin1(item.action));
        ASSERT_NE(action, nullptr) << item.action;
        // The mnemonic's '&' is not part of what the operator reads.
        EXPECT_EQ(QString(action->text()).remove('&'), QString::fromUtf8(item.text)) << item.action;
        EXPECT_EQ(action->isVisible(), item.state != kHidden) << item.action;
        // A hidden action also reports itself disabled.
        EXPECT_EQ(action->isEnabled(), item.state == kOn) << item.action;
    }
    const char* menus[][2] = {
        {"N1", "Файл"}, {"N10", "Параметры"}, {"N11", "Синхронизация"}, {"N16", "?"}};
    for (const auto& menu : menus) {
        EXPECT_EQ(Find<QMenu>(menu[0])->title().remove('&'), QString::fromUtf8(menu[1])) << menu[0];
    }
    EXPECT_EQ(Form().windowTitle(), QString::fromUtf8("Конфигуратор TulvoUniversal"));
}

TEST_F(WindowTextsTest, ButtonsHaveTheirCaptionsHintsAndState) {
    const struct {
        const char* button;
        const char* text;  // nullptr: picture only
        const char* hint;
        bool enabled;
    } buttons[] = {
        {"SpeedButton3", nullptr, "Сохранить в файле", true},
        {"SpeedButton4", nullptr, "Загрузить из файла", true},
        {"SpeedButton81", "Свернуть в трей", "", true},
        {"SpeedButton18", "Чтение", "Чтение из устройства", true},
        {"SpeedButton19", "Запись", "Запись в устройство", true},
        {"SpeedButton5", "Настройка", "Параметры шлюза", false},
        {"SpeedButton17", "Черн./белый список", "Черный/белый список", true},
        {"SpeedButton7", "Сигнализация", "Настройка системы оповещения", true},
        {"SpeedButton29", nullptr, "", true},
        {"SpeedButton1", "Ок", "Принять измениния", false},
        {"SpeedButton2", "Отмена", "Отмена", false},
        {"SpeedButton6", "Удалить", "Удалить абонента", false},
    };
    for (const auto& b : buttons) {
        auto* button = Find<QToolButton>(b.button);
        if (b.text == nullptr) {
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly) << b.button;
        } else {
            EXPECT_EQ(button->text(), QString::fromUtf8(b.text)) << b.button;
        }
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(b.hint)) << b.button;
        EXPECT_EQ(button->isEnabled(), b.enabled) << b.button;
    }
}

class WindowFitTest : public MainFormTest {};

// A 1366 x 768 screen leaves about 1366 x 700 under a desktop panel; the
// window and a title bar of up to 32 px fit in that, menu to status bar.
TEST_F(WindowFitTest, WindowFitsA1366x700WorkAreaAndStaysOnScreen) {
    TForm1& form = Form();
    EXPECT_LE(form.width(), 1366);
    EXPECT_LE(form.height() + 32, 700);
    EXPECT_EQ(Find<QWidget>("MainMenu1")->geometry().top(), 0);
    EXPECT_LE(Find<QWidget>("StatusBar1")->geometry().bottom(), form.height() - 1);
    // The test screen is smaller than the window: its corner stays on it.
    EXPECT_TRUE(form.screen()->availableGeometry().contains(form.frameGeometry().topLeft()));
}

TEST(WindowPlacement, CentresInTheFreeAreaAndNeverLeavesIt) {
    const struct {
        QRect area;
        QSize frame;
    } cases[] = {
        {{0, 0, 1366, 700}, {1140, 690}},  {{0, 32, 1366, 700}, {1140, 690}},
        {{0, 0, 1366, 700}, {1080, 810}},  {{100, 50, 800, 600}, {1140, 690}},
        {{0, 0, 1920, 1050}, {1140, 690}}, {{-1366, 0, 1366, 740}, {1140, 690}},
    };
    for (const auto& c : cases) {
        const QRect placed = ScreenFit::PlaceWithin(QRect(QPoint(-500, -500), c.frame), c.area);
        const std::string where = std::to_string(c.area.x()) + "," + std::to_string(c.area.y()) +
                                  " " + std::to_string(c.frame.height());
        EXPECT_EQ(placed.size(), c.frame) << where;
        EXPECT_GE(placed.left(), c.area.left()) << where;
        EXPECT_GE(placed.top(), c.area.top()) << where;
        if (c.frame.width() <= c.area.width()) {
            EXPECT_LE(placed.right(), c.area.right()) << where;
            EXPECT_LE(std::abs((placed.left() - c.area.left()) - (c.area.right() - placed.right())),
                      2)
                << where;
        } else {
            EXPECT_EQ(placed.left(), c.area.left()) << where;
        }
        if (c.frame.height() <= c.area.height()) {
            EXPECT_LE(placed.bottom(), c.area.bottom()) << where;
        } else {
            EXPECT_EQ(placed.top(), c.area.top()) << where;
        }
    }
}

// Hiding the help pane leaves every editor control where it was and takes
// the pane's height off the window; showing it again gives it back.
TEST_F(WindowFitTest, HidingHelpPaneOnlyShortensTheWindow) {
    TForm1& form = Form();
    const char* names[] = {"Edit1",     "Edit2",     "Edit3",        "ComboBox1",
                           "Edit5",     "CheckBox7", "RadioGroup1",  "GroupBox1",
                           "GroupBox2", "Edit6",     "SpeedButton1", "SpeedButton6"};
    const auto geometries = [&] {
        std::vector<QRect> rects;
        for (const char* name : names) {
            auto* w = Find<QWidget>(name);
            rects.emplace_back(w->mapTo(&form, QPoint(0, 0)), w->size());
        }
        return rects;
    };
    const std::vector<QRect> before = geometries();
    const int height = form.height();
    const int pane = Find<QWidget>("GroupBox3")->height();
    auto* help = Find<QCheckBox>("CheckBox8");

    help->click();
    QApplication::processEvents();
    EXPECT_FALSE(Find<QWidget>("GroupBox3")->isVisible());
    EXPECT_EQ(geometries(), before);
    EXPECT_LE(form.height(), height - pane);
    EXPECT_LT(help->mapTo(&form, QPoint(0, 0)).y() - before.back().bottom(), 20);
    EXPECT_LE(Find<QWidget>("StatusBar1")->geometry().bottom(), form.height() - 1);

    help->click();
    QApplication::processEvents();
    EXPECT_EQ(form.height(), height);
    EXPECT_EQ(geometries(), before);
}

TEST_F(WindowFitTest, TrayIconShowsTheProgramsPicture) {
    auto* tray = Form().findChild<QSystemTrayIcon*>("TrayIcon1");
    ASSERT_NE(tray, nullptr);
    ASSERT_FALSE(tray->icon().isNull());
    const QImage image = tray->icon().pixmap(22, 22).toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            opaque += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(opaque, image.width() * image.height() / 4);
    EXPECT_EQ(Form().windowIcon().cacheKey(), tray->icon().cacheKey());
    // Without a notification area the window is only minimised.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        Find<QToolButton>("SpeedButton81")->click();
        QApplication::processEvents();
        EXPECT_TRUE(Form().isMinimized());
        EXPECT_FALSE(tray->isVisible());
    }
}

class FileActionsTest : public MainFormTest {};

TEST_F(FileActionsTest, CancelledDialogsWriteAndChangeNothing) {
    PutSubscriber(1, 1);
    Form().SetPathChooser([](bool) { return QString(); });
    const auto before = std::distance(std::filesystem::directory_iterator(dir_),
                                      std::filesystem::directory_iterator());
    Find<QToolButton>("SpeedButton3")->click();
    Find<QToolButton>("SpeedButton4")->click();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                            std::filesystem::directory_iterator()),
              before);
    EXPECT_FALSE(image_.AbInfo(1).Empty());
    EXPECT_TRUE(op_.entries.empty());
}

TEST_F(FileActionsTest, SavedFileLoadsBackIntoTheGrid) {
    PutSubscriber(3, 12, "Saved");
    const QString path = QString::fromStdString((dir_ / "image.cnfg").string());
    Form().SetPathChooser([path](bool) { return path; });
    Find<QToolButton>("SpeedButton3")->click();
    ASSERT_TRUE(std::filesystem::exists(dir_ / "image.cnfg"));
    image_.AbInfo(3).SetFLAG(AbInfoRecord::kEmpty);
    Form().FillGrid();
    EXPECT_EQ(Form().Grid().Cell(2, 3), "");
    Find<QToolButton>("SpeedButton4")->click();
    EXPECT_EQ(Form().Grid().Cell(2, 3), "Saved");
    EXPECT_EQ(Form().Grid().Cell(5, 3), "0000000C");
}

// A file named on the command line is loaded only when the operator agrees,
// and then as "Загрузить" loads it.
TEST_F(FileActionsTest, OfferedFileLoadsOnlyWhenTheOperatorAgrees) {
    PutSubscriber(3, 12, "Saved");
    const QString path = QString::fromStdString((dir_ / "site.cnfg").string());
    Form().SetPathChooser([path](bool) { return path; });
    Find<QToolButton>("SpeedButton3")->click();
    image_.AbInfo(3).SetFLAG(AbInfoRecord::kEmpty);
    Form().FillGrid();

    op_.yesNoAnswers = {false};
    Form().OfferConfigFile(path);
    ASSERT_EQ(op_.entries.size(), 1u);
    EXPECT_EQ(op_.entries[0].kind, RecordingOperator::Entry::Kind::YesNo);
    EXPECT_NE(op_.entries[0].text.find(path.toStdString()), std::string::npos);
    EXPECT_TRUE(image_.AbInfo(3).Empty());

    op_.yesNoAnswers = {true};
    Form().OfferConfigFile(path);
    EXPECT_EQ(Form().Grid().Cell(2, 3), "Saved");
}

// The main window's gateway buttons against the simulated gateway.
class MainWindowGatewayTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(gateway_.Start()) << gateway_.Error();
        ports_->AddExtraPort("ttyGW0", gateway_.DevicePath(), true);
        PutSubscriber(1, 1);
        image_.AbLimit(1).SetLimitSeconds(61);
        Form();
        Find<QRadioButton>("RadioButton1")->click();  // the only USB port is chosen
        ASSERT_EQ(Form().GetPortName(), gateway_.DevicePath());
    }
    void TearDown() override {
        MainFormTest::TearDown();
        gateway_.Stop();
    }
    void Press(bool on, bool in, bool out, const char* minutes) {
        Find<QCheckBox>("CheckBox9")->setChecked(on);
        Find<QCheckBox>("CheckBox10")->setChecked(in);
        Find<QCheckBox>("CheckBox11")->setChecked(out);
        Find<QLineEdit>("Edit6")->setText(QString::fromLatin1(minutes));
        Find<QToolButton>("SpeedButton29")->click();
    }
    std::vector<std::uint8_t> ImageLimit() {
        const auto bytes = image_.AbLimit(1).bytes();
        return {bytes.begin(), bytes.end()};
    }

    sim::Gateway gateway_;
};

// The record's bytes and the checks before sending are the action's own
// (tests/actions); here the window's part: what it hands over and shows.
TEST_F(MainWindowGatewayTest, AcceptedWriteReplacesImageRecordAndReloadsEditor) {
    Find<QLineEdit>("Edit1")->setText("unsaved");
    Press(true, true, false, "15");
    EXPECT_TRUE(op_.entries.empty()) << op_.Texts().front();
    const auto sent = gateway_.State().Get(sim::RecordFamily::AbLimit, 0);
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(ImageLimit(), std::vector<std::uint8_t>(sent->begin(), sent->end()));
    EXPECT_EQ(Find<QLineEdit>("Edit7")->text(), QString::fromUtf8("15мин 0сек"));
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Ivanov");
    EXPECT_FALSE(Find<QToolButton>("SpeedButton1")->isEnabled());
}

// "Чтение" against the simulated gateway: the grid shows what was read, the
// editor keeps the slot it showed until the row changes.
TEST_F(MainWindowGatewayTest, ReadEverythingRebuildsGridButLeavesEditor) {
    TData gatewayImage;
    AbInfoRecord info = gatewayImage.AbInfo(1);
    info.SetFLAG(AbInfoRecord::kActivation);
    info.SetID(1);
    AbPhoneRecord phone = gatewayImage.AbPhone(1);
    phone.SetFlagPhone(0);
    phone.SetPhoneIn("70000000001");
    phone.UpdateChecksum();
    gateway_.State().Put(sim::RecordFamily::AbInfo, 0, info.CopyOut());
    gateway_.State().Put(sim::RecordFamily::AbPhone, 0, phone.SealedCopy());
    Find<QLineEdit>("Edit2")->setText("80501234567");

    Form().N12Click();

    EXPECT_EQ(op_.Texts().back(), "Чтение завершено!");
    EXPECT_EQ(Form().Grid().Cell(3, 1), "70000000001");
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), "80501234567");
    EXPECT_NE(RegistryText().find("AbInfo"), std::string::npos);
    ClickRow(1);
    EXPECT_EQ(Find<QLineEdit>("Edit2")->text(), "70000000001");
}

// A gateway behind a serial device server: the operator adds its address
// once and "Чтение" goes through it.
TEST_F(MainWindowGatewayTest, ReadsThroughANetworkPortTheOperatorAdded) {
    if (!DeviceServer::Available(DeviceServer::Kind::Socat)) {
        GTEST_SKIP() << "socat is missing (scripts/install-deps.sh --dev)";
    }
    const DeviceServer server(DeviceServer::Kind::Socat, gateway_.DevicePath(), dir_);
    ASSERT_TRUE(server.Started()) << server.Error();
    const QString address = QString::fromStdString(server.Address());
    Form().NetworkPorts().SetAddressAsker([&] { return std::optional(address); });
    Form().NetworkPorts().AddClick();
    ASSERT_EQ(Form().GetPortName(), server.Address());

    const auto requestsBefore = gateway_.Log().Count();
    Form().N12Click();

    EXPECT_EQ(op_.Texts().back(), "Чтение завершено!");
    EXPECT_GT(gateway_.Log().Count(), requestsBefore);
}

}  // namespace
}  // namespace tulvo::test

namespace tulvo::test {
namespace {

// "Проверять при чтении" starts off, and the operator's choice is kept with the
// window options for the next run.
TEST_F(MainFormTest, VerifyReadChoiceIsKeptAcrossRuns) {
    auto* verify = Form().findChild<QAction*>("VerifyRead");
    ASSERT_NE(verify, nullptr);
    EXPECT_TRUE(verify->isCheckable());
    EXPECT_FALSE(verify->isChecked());
    EXPECT_EQ(verify->text().remove('&'), "Проверять при чтении");
    verify->setChecked(true);
    EXPECT_TRUE(Restart().findChild<QAction*>("VerifyRead")->isChecked());
}

}  // namespace
}  // namespace tulvo::test
