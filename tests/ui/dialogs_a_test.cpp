#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_image.h"
#include "main_form_fixture.h"
#include "model/cp1251.h"
#include "model/t_data.h"
#include "sim/demo_population.h"
#include "store/registry_store.h"
#include "sync_gateway_fixture.h"
#include "ui/dialogs/form2.h"
#include "ui/dialogs/fxo_add_setting.h"
#include "ui/main/form1.h"
#include "ui/sync/form10.h"

namespace tulvo::test {
namespace {

using Texts = std::vector<std::string>;

template <typename T>
T* Child(QWidget& parent, const char* name) {
    T* widget = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

void Activate(TData& image, int n, const std::string& name) {
    AbInfoRecord info = image.AbInfo(n);
    info.SetFLAG(AbInfoRecord::kActivation);
    info.SetID(static_cast<std::uint32_t>(n));
    image.Name(n).AbFNS = Utf8ToCp1251(name);
}

class Form2Test : public SyncGatewayFixture {
  protected:
    void SetUp() override {
        SyncGatewayFixture::SetUp();
        store = std::make_unique<RegistryStore>((temp.path() + "/store.reg").toStdString());
    }
    void TearDown() override {
        form.reset();
        SyncGatewayFixture::TearDown();
    }

    TForm2& Open() {
        if (!form) {
            form = std::make_unique<TForm2>(image, *store, op, TForm2::Hooks{});
        }
        form->show();
        QApplication::processEvents();
        return *form;
    }
    template <typename T>
    T* Find(const char* name) {
        return Child<T>(Open(), name);
    }
    void Ok() { Find<QToolButton>("SpeedButton1")->click(); }
    void Type(const char* box, const char* text) {
        auto* combo = Find<QComboBox>(box);
        combo->setEditText(QString::fromUtf8(text));
    }

    TData image;
    std::unique_ptr<RegistryStore> store;
    std::unique_ptr<TForm2> form;
};

// Where a refused value stops the store: the fields stored before it are in
// the image, those after it are not, and the dialog stays open.
TEST_F(Form2Test, StoreStopsAtRefusedFieldKeepingEarlierFields) {
    struct Case {
        const char* name;
        std::function<void(TData&)> spoil;
        std::string error;
        std::function<void(const TData&)> check;
    };
    const std::vector<Case> cases{
        {"FXO mode", [](TData& d) { d.SettingFXO().bytes()[0] = 7; },
         "Недопустимое значение OutCallMode!",
         [](const TData& d) {
             EXPECT_EQ(d.SettingPASSWORD().Password(), "4455");
             EXPECT_EQ(d.ControlAccount().TO1(), 48);
             EXPECT_EQ(d.SettingFXO().OCM(), 7);
             EXPECT_EQ(d.SettingFXO().PM(), 0);
             EXPECT_EQ(d.SettingFXO().OUTLIM(), 0);
         }},
        {"FXO volume", [](TData& d) { d.SettingFXO().bytes()[11] = 5; },
         "Недопустимое значение Volume!",
         [](const TData& d) {
             EXPECT_EQ(d.SettingFXO().PM(), 1);
             EXPECT_EQ(d.SettingFXO().LMDM(), 1);
             EXPECT_EQ(d.SettingFXO().PR(), 0);
             EXPECT_EQ(d.SettingFXO().OUTLIM(), 0);
         }},
        {"GSM reception", [](TData& d) { d.SettingMOB().bytes()[1] = 9; },
         "Недопустимое значение ReciveMode!",
         [](const TData& d) {
             EXPECT_EQ(d.SettingFXO().OUTLIM(), 300);
             EXPECT_EQ(d.SettingFXS().PM(), 2);
             EXPECT_EQ(d.SettingFXS().OUTLIM(), 600);
             EXPECT_EQ(d.SettingMOB().FLAG(), 0x01);
             EXPECT_EQ(d.SettingMOB().RP(), "");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        image.SettingFXO().Reset();
        image.SettingFXS().Reset();
        image.SettingMOB().Reset();
        image.SettingFXO().SetLMDM(1);
        c.spoil(image);
        op.entries.clear();
        Open();
        Find<QLineEdit>("Edit5")->setText("4455");
        Find<QLineEdit>("Edit11")->setText("48");
        Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
        Find<QComboBox>("ComboBox5")->setCurrentIndex(4);
        Find<QLineEdit>("Edit3")->setText("300");
        Find<QComboBox>("ComboBox18")->setCurrentIndex(2);
        Find<QLineEdit>("Edit6")->setText("600");
        Find<QLineEdit>("Edit8")->setText("8044");
        Ok();
        EXPECT_EQ(op.Texts(), Texts{c.error});
        EXPECT_TRUE(form->isVisible());
        c.check(image);
        form->hide();
    }
}

TEST_F(Form2Test, SubscriberListsHoldActivatedSubscribersOnly) {
    Activate(image, 1, "Иванов");
    Activate(image, 2, "Петров");
    image.AbInfo(2).SetFLAG(0);  // in use, not activated
    Activate(image, 4, "");
    Activate(image, 7, "Сидоренко");
    image.SettingFXO().SetMAB(1);  // subscriber 2: not listed
    image.SettingFXS().SetMAB(3);
    image.ControlAccount().SetAB(0, 1);
    image.ControlAccount().SetAB(1, 6);

    const QStringList listed{"Иванов", "4", "Сидоренко"};
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox12")), listed);
    EXPECT_EQ(Items(Find<QComboBox>("ComboBox13")), listed);
    for (const char* name : {"ComboBox16", "ComboBox19", "ComboBox21", "ComboBox22"}) {
        EXPECT_EQ(Items(Find<QComboBox>(name)), QStringList{"Откл."} + listed) << name;
    }
    EXPECT_EQ(Find<QComboBox>("ComboBox12")->currentIndex(), -1);
    EXPECT_EQ(Find<QComboBox>("ComboBox13")->currentText(), "4");
    EXPECT_EQ(Find<QComboBox>("ComboBox16")->currentText(), "Откл.");
    EXPECT_EQ(Find<QComboBox>("ComboBox19")->currentText(), "Сидоренко");

    Find<QComboBox>("ComboBox21")->setCurrentIndex(1);
    Ok();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(image.SettingFXO().MAB(), 1);  // no selection keeps it
    EXPECT_EQ(image.SettingFXS().MAB(), 3);
    EXPECT_EQ(image.ControlAccount().AB(0), -1);
    EXPECT_EQ(image.ControlAccount().AB(1), 6);
    EXPECT_EQ(image.ControlAccount().AB(2), 0);
    EXPECT_EQ(image.ControlAccount().AB(3), -1);
}

// Every settings byte the GSM tab builds goes back as it came when nothing is
// edited; a suppression mode the list cannot show is kept.
TEST_F(Form2Test, GsmFlagsAreStoredBackUnchanged) {
    const struct {
        std::uint8_t flag;
        const char* callBack;
        const char* dtmf;
    } cases[] = {
        {0x04, "отбой соединения абонентом", "100 мс"}, {0x01, "Автообой соединения", "100 мс"},
        {0xE0, "отбой соединения абонентом", "800 мс"}, {0x1B, "Автообой соединения", "100 мс"},
        {0xFF, "Автообой соединения", "800 мс"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flag);
        image.SettingMOB().SetFLAG(c.flag);
        Open();
        EXPECT_EQ(Find<QComboBox>("ComboBox10")->currentText(), QString::fromUtf8(c.callBack));
        EXPECT_EQ(Find<QLabel>("Label35")->text(), QString::fromUtf8(c.dtmf));
        Ok();
        EXPECT_EQ(image.SettingMOB().FLAG(), c.flag);
    }
    EXPECT_TRUE(op.entries.empty());
}

// Boxes that take typed text: text that names an item selects it, other text
// keeps the field (HLP, Caller ID) or clears the account subscriber.
TEST_F(Form2Test, TypedTextInComboBoxes) {
    Activate(image, 3, "Охрана");
    image.SettingFXO().SetHLP(2);
    image.SettingFXS().SetCallerID(1);
    image.ControlAccount().SetAB(0, 2);
    image.ControlAccount().SetAB(1, 2);
    Open();
    Type("ComboBox7", "музыка");
    Type("ComboBox8", "DTMF");
    Type("ComboBox16", "никто");
    Ok();
    EXPECT_EQ(image.SettingFXO().HLP(), 2);
    EXPECT_EQ(image.SettingFXS().CallerID(), 2);
    EXPECT_EQ(image.ControlAccount().AB(0), -1);
    EXPECT_EQ(image.ControlAccount().AB(1), 2);

    Open();
    Type("ComboBox7", "зумер");
    Type("ComboBox8", "?");
    Type("ComboBox16", "Охрана");
    Ok();
    EXPECT_EQ(image.SettingFXO().HLP(), 0);
    EXPECT_EQ(image.SettingFXS().CallerID(), 2);
    EXPECT_EQ(image.ControlAccount().AB(0), 2);
}

// Numbers typed in the boxes: refused or empty ones keep their fields, the
// operator is told, and the store goes on to the end.
TEST_F(Form2Test, TypedNumbersAreCheckedAndTheStoreGoesOn) {
    image.SettingFXO().SetINLIM(90);
    image.SettingFXS().SetOUTLIM(30);
    image.ControlAccount().SetTO1(5);
    Open();
    Find<QLineEdit>("Edit3")->setText("99999");
    Find<QLineEdit>("Edit4")->clear();
    Find<QLineEdit>("Edit6")->clear();
    Find<QLineEdit>("Edit11")->setText("дважды");
    Find<QLineEdit>("Edit12")->setText("70000");
    Find<QLineEdit>("Edit9")->setText("*123*4567890#");
    Find<QLineEdit>("Edit10")->setText("гривен");
    Ok();
    EXPECT_EQ(op.Texts(), (Texts{"Недопуcтимое значение таймаута в настройках контроля счета!",
                                 "Недопуcтимое значение порога в настройках контроля счета!",
                                 "Лиммит на входящий звонок для линии FXO не установлен!",
                                 "Лиммит на исходящий звонок для линии FXS не установлен!"}));
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(image.SettingFXO().OUTLIM(), 65535);
    EXPECT_EQ(image.SettingFXO().INLIM(), 90);
    EXPECT_EQ(image.SettingFXS().OUTLIM(), 30);
    EXPECT_EQ(image.ControlAccount().TO1(), 5);
    EXPECT_EQ(image.ControlAccount().AL(), 5);
    EXPECT_EQ(image.ControlAccount().USSD(), "*123*456789");
    EXPECT_EQ(Cp1251ToUtf8(image.ControlAccount().UNIT()), "гривен");
}

TEST_F(Form2Test, KeyFiltersOfPasswordLimitAndRoutingBoxes) {
    Open();
    auto* routing = Find<QLineEdit>("Edit8");
    routing->clear();
    routing->setFocus();
    for (int i = 0; i < 50; ++i) {
        routing->insert(i % 2 == 0 ? "8" : "P");
    }
    EXPECT_EQ(routing->text().size(), 48);
    routing->insert("a#");
    EXPECT_EQ(routing->text().size(), 48);
    routing->backspace();
    routing->insert("#");
    EXPECT_TRUE(routing->text().endsWith("#"));

    // Typed one key at a time.
    const auto type = [](QLineEdit* edit, const QString& keys) {
        edit->clear();
        for (QChar key : keys) {
            edit->insert(QString(key));
        }
        return edit->text();
    };
    EXPECT_EQ(type(Find<QLineEdit>("Edit5"), "12a34567890"), "1234567");
    EXPECT_EQ(type(Find<QLineEdit>("Edit3"), "-5 s"), "5");
}

TEST_F(Form2Test, EmptyPasswordStoresNothingAndPutsTheDefault) {
    image.SettingPASSWORD().SetPassword("777");
    Open();
    Find<QLineEdit>("Edit5")->clear();
    Find<QLineEdit>("Edit3")->setText("120");
    Ok();
    EXPECT_EQ(op.Texts(), Texts{"Пароль не может быть пустым! Установлен пароль по умолчанию"});
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text(), "9387");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(image.SettingPASSWORD().Password(), "777");
    EXPECT_EQ(image.SettingFXO().OUTLIM(), 0);
}

TEST_F(Form2Test, CancelLeavesImageAndReopeningShowsIt) {
    image.SettingFXO().SetOCM(2);
    Open();
    Find<QComboBox>("ComboBox2")->setCurrentIndex(4);
    Find<QLineEdit>("Edit9")->setText("*999#");
    Find<QToolButton>("SpeedButton2")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(image.SettingFXO().OCM(), 2);
    EXPECT_EQ(image.ControlAccount().USSD(), "*101#");
    Open();
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentIndex(), 2);
    EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), "*101#");
}

TEST_F(Form2Test, HelpPaneHeightSurvivesRestartAndFieldsShowTheirHelp) {
    Open();
    EXPECT_EQ(form->height(), 516);
    Find<QCheckBox>("CheckBox4")->click();
    EXPECT_EQ(form->height(), 374);
    form.reset();
    Open();
    EXPECT_FALSE(Find<QCheckBox>("CheckBox4")->isChecked());
    EXPECT_EQ(form->height(), 374);

    auto* list = Find<QListWidget>("ListBox1");
    QTest::mouseClick(Find<QLabel>("Label4"), Qt::LeftButton);
    ASSERT_GT(list->count(), 0);
    EXPECT_EQ(list->item(0)->text(), "  Выбор \"главного\" абонента для линии FXO.");
    Find<QTabWidget>("PageControl1")->setCurrentIndex(3);
    EXPECT_EQ(list->count(), 0);
}

TEST_F(Form2Test, ButtonsOpenTheirWindowsAndEnterPressesNone) {
    std::vector<std::string> opened;
    form = std::make_unique<TForm2>(
        image, *store, op,
        TForm2::Hooks{.openPinCode = [&] { opened.push_back("pin"); },
                      .openDevName = [&] { opened.push_back("name"); },
                      .openTotalLimit = [&] { opened.push_back("limit"); }});
    Open();
    QTest::keyClick(Find<QLineEdit>("Edit5"), Qt::Key_Return);
    Find<QPushButton>("Button5")->click();  // no firmware window yet: nothing
    EXPECT_TRUE(opened.empty());
    form->SetFirmwareWindowOpener([&] { opened.push_back("firmware"); });
    for (const char* button : {"Button3", "Button4", "Button6", "Button5"}) {
        Find<QPushButton>(button)->click();
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"pin", "name", "limit", "firmware"}));
    EXPECT_TRUE(form->isVisible());
}

// Runs `act` on the additional settings dialog once it is shown modally.
void OnAddSetting(const std::function<void(TFXOAddSetting&)>& act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<TFXOAddSetting*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(*dialog);
        // A failed expectation must not leave the test waiting on the dialog.
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
}

// What the additional settings reach the records with: each variant changes
// only its own values, and what it cannot show goes back as it came.
TEST_F(Form2Test, AdditionalSettingsReachTheLineRecords) {
    image.SettingFXO().SetLMFT(8);
    image.SettingFXO().SetBusyControl(true);
    image.SettingFXO().SetEchoDepth(9);
    image.SettingFXS().SetPR(0x54);  // ring timings 2 and 20 - 2
    image.SettingFXS().SetLMNT(140);
    image.SettingFXS().bytes()[5] = 2;  // an LMDM the record refuses
    auto* fxoButton = Find<QPushButton>("Button1");
    auto* fxsButton = Find<QPushButton>("Button2");
    OnAddSetting([](TFXOAddSetting& d) {
        EXPECT_EQ(d.windowTitle(), "FXO Дополнительные установки");
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox1")->currentText(), "7");
        Child<QSlider>(d, "TrackBar3")->setValue(3);
        EXPECT_EQ(Child<QLabel>(d, "Label12")->text(), "700");
        Child<QPushButton>(d, "BitBtn1")->click();
    });
    fxoButton->click();
    OnAddSetting([](TFXOAddSetting& d) {
        EXPECT_EQ(d.windowTitle(), "FXS Дополнительные настройки");
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox2")->currentText(), "40");
        EXPECT_EQ(Child<QComboBox>(d, "ComboBox4")->currentIndex(), -1);
        Child<QComboBox>(d, "ComboBox5")->setCurrentIndex(3);
        Child<QSlider>(d, "TrackBar4")->setValue(3);
        EXPECT_EQ(Child<QLabel>(d, "Label15")->text(), "2000 мс");
        Child<QCheckBox>(d, "CheckBox1")->setChecked(true);
        Child<QPushButton>(d, "BitBtn1")->click();
    });
    fxsButton->click();
    EXPECT_EQ(image.SettingFXO().LMFT(), 8);  // only "ОК" stores
    Ok();

    EXPECT_EQ(image.SettingFXO().LMFT(), 7);
    EXPECT_TRUE(image.SettingFXO().BusyControl());
    EXPECT_EQ(image.SettingFXO().EchoDepth(), 9);
    EXPECT_EQ(image.SettingFXO().FlashTime(), 3);
    EXPECT_EQ(image.SettingFXO().EndSignal(), 0);
    EXPECT_EQ(image.SettingFXS().PR(), 0x54);
    EXPECT_EQ(image.SettingFXS().LMNT(), 40);
    EXPECT_EQ(image.SettingFXS().EndSignal(), 3);
    EXPECT_EQ(image.SettingFXS().EndSignalTime(), 3);
    EXPECT_FALSE(image.SettingFXS().BusyControl());
    EXPECT_EQ(image.SettingFXS().LMDM(), 2);
    EXPECT_TRUE(op.entries.empty());
}

TEST(FxoAddSettingTest, NearestItemSelectsTheClosestFirstOfEqualTimeouts) {
    const struct {
        bool firstDigit;
        int seconds;
        const char* shown;
        int returned;
    } cases[] = {
        {true, 12, "10", 10}, {true, 17, "15", 15},  {false, 4, "3", 3},     {true, 8, "7", 7},
        {true, 0, "5", 5},    {true, 140, "40", 40}, {false, 255, "40", 40}, {false, 40, "40", 40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.seconds);
        TFXOAddSetting dialog;
        AddSettingValues in;
        (c.firstDigit ? in.firstDigitTimeout : in.interDigitTimeout) =
            static_cast<std::uint8_t>(c.seconds);
        dialog.SetValues(in);
        dialog.show();
        auto* box = Child<QComboBox>(dialog, c.firstDigit ? "ComboBox1" : "ComboBox2");
        EXPECT_EQ(box->currentText(), c.shown);
        Child<QPushButton>(dialog, "BitBtn1")->click();
        const AddSettingValues out = dialog.Values();
        EXPECT_EQ(c.firstDigit ? out.firstDigitTimeout : out.interDigitTimeout, c.returned);
    }
}

// Edit through the dialog's controls, write everything to the simulated
// gateway, and find there the very settings blocks the image holds.
class Form2GatewayTest : public Form2Test {};

TEST_F(Form2GatewayTest, EditedSettingsReachTheGatewayByteForByte) {
    sim::SeedDemoPopulation(gateway.State(), BuildDemoPopulation());
    BuildDemoImage(image);
    Open();
    Find<QComboBox>("ComboBox12")->setCurrentIndex(2);
    Find<QComboBox>("ComboBox13")->setCurrentIndex(4);
    Find<QLineEdit>("Edit5")->setText("2468");
    Find<QComboBox>("ComboBox2")->setCurrentIndex(3);
    Find<QComboBox>("ComboBox5")->setCurrentIndex(2);
    Find<QComboBox>("ComboBox6")->setCurrentIndex(3);
    Find<QLineEdit>("Edit3")->setText("900");
    Find<QCheckBox>("CheckBox5")->setChecked(true);
    Find<QComboBox>("ComboBox8")->setCurrentIndex(2);
    Find<QLineEdit>("Edit7")->setText("1200");
    Find<QComboBox>("ComboBox9")->setCurrentIndex(4);
    Find<QComboBox>("ComboBox14")->setCurrentIndex(2);
    Find<QLineEdit>("Edit8")->setText("8P044123456");
    Find<QSlider>("TrackBar1")->setValue(5);
    Find<QCheckBox>("CheckBox7")->setChecked(false);
    Find<QLineEdit>("Edit11")->setText("12");
    Find<QComboBox>("ComboBox22")->setCurrentIndex(1);
    Ok();
    ASSERT_FALSE(form->isVisible());
    ASSERT_TRUE(op.entries.empty()) << op.Texts().front();

    ASSERT_TRUE(TForm10::WriteEverything(nullptr, image, Access()));

    const auto sealed = [](const auto& record) {
        const auto bytes = record.SealedCopy();
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    };
    const struct {
        int block;
        std::vector<std::uint8_t> image;
    } blocks[] = {
        {sim::kBlockFXO, sealed(image.SettingFXO())},
        {sim::kBlockFXS, sealed(image.SettingFXS())},
        {sim::kBlockMOB, sealed(image.SettingMOB())},
        {sim::kBlockPassword, sealed(image.SettingPASSWORD())},
        {sim::kBlockControlAccount, sealed(image.ControlAccount())},
    };
    for (const auto& b : blocks) {
        const auto sent = gateway.State().Get(sim::RecordFamily::Block, b.block);
        ASSERT_TRUE(sent.has_value()) << b.block;
        EXPECT_EQ(*sent, b.image) << b.block;
    }
    // The edits themselves, at their offsets in the gateway's records.
    const auto fxo = *gateway.State().Get(sim::RecordFamily::Block, sim::kBlockFXO);
    EXPECT_EQ(fxo[0], 3);                    // OCM
    EXPECT_EQ(fxo[11], 3);                   // VL
    EXPECT_EQ(fxo[12], 2);                   // MAB: the third listed subscriber
    EXPECT_EQ(fxo[14], 3);                   // PR
    EXPECT_EQ(fxo[15] | fxo[16] << 8, 900);  // OUTLIM
    const auto fxs = *gateway.State().Get(sim::RecordFamily::Block, sim::kBlockFXS);
    EXPECT_EQ(fxs[10], 0x81);  // forwarding, Caller ID DTMF
    EXPECT_EQ(fxs[12], 4);
    EXPECT_EQ(fxs[17] | fxs[18] << 8, 1200);
    const auto mob = *gateway.State().Get(sim::RecordFamily::Block, sim::kBlockMOB);
    EXPECT_EQ(mob[0], 0xA9);  // DTMF 5, suppression off, auto hang-up
    EXPECT_EQ(mob[1], 0x44);  // no '+' replacement, routing through FXO
    EXPECT_EQ(std::string(mob.begin() + 2, mob.begin() + 13), "8P044123456");
    const auto account = *gateway.State().Get(sim::RecordFamily::Block, sim::kBlockControlAccount);
    EXPECT_EQ(account[1], 12);
    EXPECT_EQ(account[33], 0);  // AB4: subscriber 1
    EXPECT_EQ(account[34], 0);
}

// The main window's "GSM шлюза" and "Настройка" open the parameters dialog
// once it exists.
class Form2MainWindowTest : public MainFormTest {};

TEST_F(Form2MainWindowTest, MenuItemAndToolbarButtonOpenTheDialog) {
    TForm1& main = Form();
    auto* item = main.findChild<QAction*>("N5");
    auto* button = Find<QToolButton>("SpeedButton5");
    EXPECT_FALSE(item->isEnabled());
    TForm2 form(image_, *store_, op_, TForm2::Hooks{}, &main);
    main.SetParametersWindow([&form] { return &form; });
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(button->isEnabled());

    int shown = 0;
    const auto closeWhenShown = [&shown] {
        QTimer::singleShot(0, [&shown] {
            auto* dialog = qobject_cast<TForm2*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            ++shown;
            Child<QToolButton>(*dialog, "SpeedButton2")->click();
        });
    };
    closeWhenShown();
    item->trigger();
    closeWhenShown();
    button->click();
    EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace tulvo::test
