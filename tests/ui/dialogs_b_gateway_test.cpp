// The two dialogs from the operator's side to the gateway: edits made
// through the controls, "Запись" to the simulated gateway, and the records
// the gateway then holds, byte for byte.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/demo_image.h"
#include "link/crc8.h"
#include "main_form_fixture.h"
#include "model/t_data.h"
#include "sim/demo_population.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "sync_gateway_fixture.h"
#include "ui/dialogs/form3.h"
#include "ui/dialogs/form7.h"
#include "ui/sync/form10.h"

namespace tulvo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using sim::RecordFamily;

constexpr int kAlarmBlock = 4;

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutText(Bytes& bytes, std::size_t at, const std::string& text) {
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

Bytes Sealed(Bytes bytes) {
    bytes.back() = Crc8(bytes.data(), bytes.size() - 1);
    return bytes;
}

// The default alarm record: time-outs 120 s, 1 s and 5 s on all eight
// channels, every password "9387", nobody notified, calls to everybody.
Bytes DefaultAlarm() {
    Bytes bytes(161, 0);
    for (std::size_t i = 0; i < 8; ++i) {
        PutU16(bytes, 23 + 2 * i, 120);
        PutU16(bytes, 39 + 2 * i, 10);
        bytes[55 + i] = 5;
    }
    for (std::size_t slot = 0; slot < 9; ++slot) {
        PutText(bytes, 63 + 8 * slot, "9387");
    }
    for (std::size_t n = 0; n < 10; ++n) {
        PutU16(bytes, 135 + 2 * n, 0xFFFF);
    }
    PutU16(bytes, 157, 0xFFFF);
    return bytes;
}

Bytes ListEntry(std::uint8_t flag, std::uint8_t groups, const std::string& prefix) {
    Bytes bytes(22, 0);
    bytes[0] = flag;
    bytes[1] = groups;
    PutText(bytes, 2, prefix);
    return Sealed(bytes);
}

class DialogGatewayTest : public SyncGatewayFixture {
  protected:
    std::string StorePath() const { return (temp.path() + "/store.reg").toStdString(); }
    std::optional<Bytes> OnGateway(RecordFamily family, int index) {
        return gateway.State().Get(family, index);
    }

    TData image;
};

TEST_F(DialogGatewayTest, AlarmDialogEditsReachTheGatewayByteForByte) {
    for (int n : {2, 3}) {
        image.AbInfo(n).SetFLAG(AbInfoRecord::kActivation);
    }
    image.Name(3).AbFNS = "Petrov";
    {
        TForm3 form(image, op);
        form.show();
        auto box = [&](const char* name) { return form.findChild<QCheckBox*>(name); };
        auto edit = [&](const char* name) { return form.findChild<QLineEdit*>(name); };
        auto list = [&](const char* name) { return form.findChild<QComboBox*>(name); };
        list("AbName1")->setCurrentIndex(2);  // slot 3
        box("PutSMS1")->click();
        box("Call2")->click();
        edit("Password")->setText("1234");
        box("EnableCheck1")->click();
        edit("Password1")->setText("11");
        box("Active2")->click();
        form.findChild<QRadioButton*>("ModeSwitch2Item1")->click();
        list("InMode1")->setCurrentIndex(1);
        list("OutMode1")->setCurrentIndex(1);
        edit("InDebounce1")->setText("25");
        edit("InTimeout2")->setText("300");
        edit("SetTimeout1")->setText("9");
        box("KeyMode1")->click();
        edit("KeyTime1")->setText("3");
        box("c12")->click();
        edit("SMS_Message1")->setText("Тревога");
        form.findChild<QToolButton*>("SpeedButton1")->click();
        ASSERT_EQ(form.result(), QDialog::Accepted);
    }

    ASSERT_TRUE(TForm10::WriteEverything(nullptr, image, Access()));

    Bytes alarm = DefaultAlarm();
    alarm[0] = 0x01;                               // EM: channel 1 on
    alarm[1] = 0x02;                               // Active: channel 2
    alarm[2] = 0x01;                               // KeyMode: channel 1
    alarm[3] = 0x01;                               // MM: input 1 on closing,
    alarm[4] = 0x02;                               //     channel 2 an output,
    alarm[5] = 0x01;                               //     output 1 driven by inputs
    alarm[7] = 3;                                  // KeyTime 1
    alarm[15] = 0x02;                              // OutMask 1: input 2
    PutU16(alarm, 25, 300);                        // InTimeout 2
    PutU16(alarm, 39, 25);                         // InDebounce 1
    alarm[55] = 9;                                 // SetTimeout 1
    PutText(alarm, 63, "1234");                    // common password
    PutText(alarm, 71, std::string("11\0\0", 4));  // channel 1
    PutU16(alarm, 135, 2);                         // notified subscriber 1: slot 3
    PutU16(alarm, 155, 0x0001);                    // SMS to subscriber 1
    PutU16(alarm, 157, 0x03FD);                    // calls to all ten but subscriber 2
    EXPECT_EQ(OnGateway(RecordFamily::Block, kAlarmBlock), Sealed(alarm));

    Bytes sms(162, 0);
    PutText(sms, 0, "\xD2\xF0\xE5\xE2\xEE\xE3\xE0");  // "Тревога" in Windows-1251
    EXPECT_EQ(OnGateway(RecordFamily::SMSMessage, 0), Sealed(sms));
}

TEST_F(DialogGatewayTest, BlackListDialogEditsReachTheGatewayAndTheStore) {
    RegistryStore store(StorePath());
    {
        TForm7 form(image, store, op);
        form.show();
        auto type = [&](const char* name, const char* text) {
            QLineEdit* edit = form.findChild<QLineEdit*>(name);
            edit->setFocus();
            QTest::keyClicks(edit, QString::fromLatin1(text));
        };
        auto click = [&](const char* name) {
            QTest::mouseClick(form.findChild<QWidget*>(name), Qt::LeftButton, {}, QPoint(4, 4));
        };
        // Entry 1 is loaded into the black-list editor: start from its
        // empty prefix.
        type("Edit3", "8050");
        click("CheckBox7");
        click("CheckBox28");
        click("SpeedButton5");
        form.findChild<QTabWidget*>("PageControl1")->setCurrentIndex(TForm7::kWhite);
        type("Edit4", "805036920");
        click("CheckBox15");
        click("Blm_Mob_FXO_Eable");
        click("Blm_FXS_Mob_Enable");
        click("SpeedButton7");
        click("SpeedButton1");
    }

    ASSERT_TRUE(TForm10::WriteEverything(nullptr, image, Access()));

    EXPECT_EQ(OnGateway(RecordFamily::BlackListEntry, 0), ListEntry(0x80, 0, ""));
    EXPECT_EQ(OnGateway(RecordFamily::BlackListEntry, 1), ListEntry(0x05, 0x01, "8050"));
    EXPECT_EQ(OnGateway(RecordFamily::BlackListEntry, 2),
              ListEntry(0x02 | 0x04 | 0x20, 0x01, "805036920"));
    EXPECT_EQ(OnGateway(RecordFamily::BlackListEntry, 3), ListEntry(0x80, 0, ""));
    // What "ОК" saved is what a second run would load.
    const auto saved = store.OpenKey(kSettingKey).ReadBinary("BlackList2");
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, *OnGateway(RecordFamily::BlackListEntry, 2));
}

// "Чтение", the program closed and started again, "Запись": the gateway's
// list, entry 0 included, is what it was.
TEST_F(DialogGatewayTest, ListReadBeforeARestartIsWrittenBackWhole) {
    sim::SeedDemoPopulation(gateway.State(), BuildDemoPopulation());
    const Bytes first = ListEntry(0x01 | 0x10, 0x03, "0440");
    gateway.State().Put(RecordFamily::BlackListEntry, 0, first);
    std::array<std::optional<Bytes>, 186> before;
    for (int k = 0; k < 186; ++k) {
        before[k] = OnGateway(RecordFamily::BlackListEntry, k);
    }
    {
        RegistryStore store(StorePath());
        ASSERT_TRUE(TForm10::ReadEverything(nullptr, {image, store}, Access(), [] {}));
        ASSERT_TRUE(SaveImage(image, store));
    }

    RegistryStore store(StorePath());
    TData restarted;
    LoadImage(restarted, store);
    ASSERT_TRUE(TForm10::WriteEverything(nullptr, restarted, Access()));

    EXPECT_EQ(OnGateway(RecordFamily::BlackListEntry, 0), first);
    for (int k = 1; k < 186; ++k) {
        if (before[k]) {
            EXPECT_EQ(OnGateway(RecordFamily::BlackListEntry, k), before[k]) << k;
        } else {
            EXPECT_TRUE(gateway.State().ReadsAsEmpty(RecordFamily::BlackListEntry, k)) << k;
        }
    }
}

// The main window's menu items and toolbar buttons open the two dialogs.
class DialogOpeningTest : public MainFormTest {};

TEST_F(DialogOpeningTest, MenuItemsAndButtonsOpenTheDialogs) {
    TForm7 blackList(image_, *store_, op_, &Form());
    Form().SetBlackListWindow([&blackList] { return &blackList; });
    const struct {
        const char* control;
        bool action;
        const char* title;
    } cases[] = {
        {"N6", true, "Параметры системы оповещения"},
        {"SpeedButton7", false, "Параметры системы оповещения"},
        {"N15", true, "Черный/Белый список"},
        {"SpeedButton17", false, "Черный/Белый список"},
    };
    for (const auto& c : cases) {
        QString opened;
        QTimer::singleShot(0, &Form(), [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = modal->windowTitle();
                modal->close();
            }
        });
        if (c.action) {
            Find<QAction>(c.control)->trigger();
        } else {
            Find<QToolButton>(c.control)->click();
        }
        EXPECT_EQ(opened, QString::fromUtf8(c.title)) << c.control;
    }
    EXPECT_TRUE(op_.Texts().empty());
}

}  // namespace
}  // namespace tulvo::test
