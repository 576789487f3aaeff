#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdint>

#include "sync/total_limit.h"
#include "sync_gateway_fixture.h"
#include "ui/sync/acount_ctrl.h"
#include "ui/sync/form12.h"
#include "ui/sync/set_dev_name_form.h"
#include "ui/sync/set_pin_code_form.h"
#include "ui/sync/sys_info_form.h"

namespace tulvo::test {
namespace {

constexpr std::uint8_t kReadSysInfo = 0x00;
constexpr std::uint8_t kWriteBlock = 0x04;
constexpr std::uint8_t kReadBlock = 0x05;
constexpr int kTotalLimitBlock = 5;
constexpr int kDevNameBlock = 6;
constexpr int kPinCodeBlock = 7;

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

template <typename T>
T* Child(QWidget& window, const char* name) {
    T* child = window.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

QString Text(QWidget& window, const char* name) {
    if (auto* label = window.findChild<QLabel*>(name)) {
        return label->text();
    }
    return Child<QLineEdit>(window, name)->text();
}

void ForceStatus(sim::Gateway& gateway, int command, int index) {
    sim::FaultRule rule;
    rule.kind = sim::FaultRule::Kind::Status;
    rule.command = command;
    rule.fromIndex = rule.toIndex = index;
    rule.status = 1;
    gateway.Faults().Add(rule);
}

// The 10-byte total limit block: flags, time left, threshold, checksum
// (the gateway fills in the checksum).
Bytes TotalLimitBlock(std::uint8_t flags, std::uint32_t left, std::uint32_t threshold) {
    Bytes block(10, 0);
    block[0] = flags;
    for (int i = 0; i < 4; ++i) {
        block[1 + i] = static_cast<std::uint8_t>(left >> (8 * i));
        block[5 + i] = static_cast<std::uint8_t>(threshold >> (8 * i));
    }
    return block;
}

std::uint32_t U32At(const Bytes& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | bytes.at(offset + static_cast<std::size_t>(i));
    }
    return value;
}

// ---- Device information -------------------------------------------------

struct SysInfoCase {
    const char* what;
    std::uint8_t signal;
    std::uint16_t bootloader;
    bool complementValid;
    const char* signalText;
    int bar;
    const char* bootloaderText;
};

class SysInfoDisplayTest : public SyncGatewayFixture,
                           public ::testing::WithParamInterface<SysInfoCase> {};

TEST_P(SysInfoDisplayTest, ShowsGatewayReport) {
    const SysInfoCase& c = GetParam();
    sim::SysInfoValues values;
    values.firmware = "V2.74.1";
    values.imei = "356938035643809";
    values.signal = c.signal;
    values.bootloader = c.bootloader;
    values.bootloaderComplementValid = c.complementValid;
    gateway.State().SetSysInfo(values);
    ASSERT_TRUE(port.Open(gateway.DevicePath()));
    TTSysInfoForm form(nullptr, port, op);
    form.show();

    form.Timer1Timer();

    EXPECT_EQ(Text(form, "Label2"), "V2.74.1");
    EXPECT_EQ(Text(form, "Label4"), "356938035643809");
    EXPECT_EQ(Text(form, "Label6"), c.signalText);
    EXPECT_EQ(Child<QProgressBar>(form, "ProgressBar1")->value(), c.bar);
    EXPECT_EQ(Text(form, "Label8"), c.bootloaderText);
    EXPECT_EQ(Child<QTimer>(form, "Timer1")->interval(), 500);
    EXPECT_TRUE(op.entries.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SysInfoDisplayTest,
    ::testing::Values(SysInfoCase{"plain", 21, 0x0315, true, "21", 21, "03.15"},
                      SysInfoCase{"signal above 31", 40, 0x0200, true, "0", 0, "02.00"},
                      SysInfoCase{"version below 2", 31, 0x0001, true, "31", 31, "NA"},
                      SysInfoCase{"complement wrong", 5, 0x0200, false, "5", 5, "NA"}));

TEST_F(SyncGatewayFixture, SysInfoFailureStopsPollingAndClosesWindow) {
    Silence(kReadSysInfo);
    ASSERT_TRUE(port.Open(gateway.DevicePath()));
    TTSysInfoForm form(nullptr, port, op);
    form.show();

    form.Timer1Timer();

    EXPECT_EQ(op.Texts(), Texts{"Ошибка при чтении данных!"});
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(Child<QTimer>(form, "Timer1")->isActive());
    // One attempt only.
    EXPECT_EQ(gateway.Log().CountOf(kReadSysInfo), 1u);
}

TEST_F(SyncGatewayFixture, SysInfoFirstQueryComesSoonAfterShowAndNoneWhileHidden) {
    ASSERT_TRUE(port.Open(gateway.DevicePath()));
    TTSysInfoForm form(nullptr, port, op);

    form.Timer1Timer();
    EXPECT_EQ(gateway.Log().CountOf(kReadSysInfo), 0u);

    form.show();
    const QTimer* timer = Child<QTimer>(form, "Timer1");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 100);
}

TEST_F(SyncGatewayFixture, DeviceInformationActionClosesPortAfterWindow) {
    Silence(kReadSysInfo);

    TTSysInfoForm::ShowDeviceInformation(nullptr, Access());

    EXPECT_EQ(op.Texts(), Texts{"Ошибка при чтении данных!"});
    EXPECT_FALSE(port.IsOpen());
}

// ---- Device identifier --------------------------------------------------

struct DevNameCase {
    const char* typed;
    Bytes sent;  // bytes 0..8; byte 9 is the checksum
};

class DevNameWriteTest : public SyncGatewayFixture,
                         public ::testing::WithParamInterface<DevNameCase> {};

TEST_P(DevNameWriteTest, SendsFirstEightCharactersPadded) {
    TSetDevNameForm form(Access());
    Child<QLineEdit>(form, "Edit1")->setText(GetParam().typed);

    Child<QPushButton>(form, "BitBtn1")->click();

    const auto payloads = Payloads(kWriteBlock, kDevNameBlock);
    ASSERT_EQ(payloads.size(), 1u);
    ASSERT_EQ(payloads[0].size(), 10u);
    EXPECT_EQ(Bytes(payloads[0].begin(), payloads[0].begin() + 9), GetParam().sent);
    EXPECT_EQ(op.Texts(), Texts{"Идентификатор записан"});
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Lengths, DevNameWriteTest,
                         ::testing::Values(DevNameCase{"ABCDEFGHIJ",
                                                       {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0}},
                                           DevNameCase{"ABC", {'A', 'B', 'C', 0, 0, 0, 0, 0, 0}}));

TEST_F(SyncGatewayFixture, DevNameReadShowsGatewayIdentifier) {
    gateway.State().SetDevName("GW-7");
    TSetDevNameForm form(Access());

    Child<QPushButton>(form, "BitBtn2")->click();

    EXPECT_EQ(Text(form, "Edit1"), "GW-7");
    EXPECT_EQ(op.Texts(), Texts{"Чтение завершено"});
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(SyncGatewayFixture, DevNameRefusedWriteKeepsDialogOpen) {
    ForceStatus(gateway, kWriteBlock, kDevNameBlock);
    TSetDevNameForm form(Access());
    Child<QLineEdit>(form, "Edit1")->setText("X");

    Child<QPushButton>(form, "BitBtn1")->click();

    EXPECT_EQ(op.Texts(), Texts{"Ошибка связи с устройством"});
    EXPECT_NE(form.result(), QDialog::Accepted);
}

// ---- SIM PIN ---------------------------------------------------------------

TEST_F(SyncGatewayFixture, PinFieldTakesAtMostFourDigits) {
    TSetPinCodeForm form(Access());
    form.show();
    QLineEdit* edit = Child<QLineEdit>(form, "Edit1");

    QTest::keyClicks(edit, "12a3 45");
    EXPECT_EQ(edit->text(), "1234");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "123");
    QTest::keyClicks(edit, "9");
    EXPECT_EQ(edit->text(), "1239");
}

TEST_F(SyncGatewayFixture, PinWriteSendsDigitsPadded) {
    TSetPinCodeForm form(Access());
    Child<QLineEdit>(form, "Edit1")->setText("12");

    Child<QPushButton>(form, "Button1")->click();

    const auto payloads = Payloads(kWriteBlock, kPinCodeBlock);
    ASSERT_EQ(payloads.size(), 1u);
    ASSERT_EQ(payloads[0].size(), 6u);
    EXPECT_EQ(Bytes(payloads[0].begin(), payloads[0].begin() + 5), (Bytes{'1', '2', 0, 0, 0}));
    EXPECT_EQ(op.Texts(), Texts{"PIN код записан"});
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

// ---- Total time limit -------------------------------------------------------

struct TotalLimitReadCase {
    std::uint8_t flags;
    std::uint32_t left;
    std::uint32_t threshold;
    bool checked;
    const char* thresholdText;
    const char* leftText;
};

class TotalLimitReadTest : public SyncGatewayFixture,
                           public ::testing::WithParamInterface<TotalLimitReadCase> {};

TEST_P(TotalLimitReadTest, ShowsBlock) {
    const TotalLimitReadCase& c = GetParam();
    gateway.State().Put(sim::RecordFamily::Block, kTotalLimitBlock,
                        TotalLimitBlock(c.flags, c.left, c.threshold));
    TForm12 form(Access());
    Child<QLineEdit>(form, "Edit1")->setText("77");

    Child<QToolButton>(form, "SpeedButton18")->click();

    EXPECT_EQ(Child<QCheckBox>(form, "CheckBox1")->isChecked(), c.checked);
    EXPECT_EQ(Text(form, "Edit2"), c.thresholdText);
    EXPECT_EQ(Text(form, "Edit3"), c.leftText);
    EXPECT_EQ(Text(form, "Edit1"), "77");
    EXPECT_EQ(op.Texts(), Texts{"Данные считаны"});
    EXPECT_FALSE(port.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Values, TotalLimitReadTest,
    ::testing::Values(TotalLimitReadCase{0x00, 3725, 600, true, "10", "62 мин 5 сек"},
                      TotalLimitReadCase{0x01, 59, 119, false, "1", "0 мин 59 сек"}));

TEST_F(SyncGatewayFixture, TotalLimitWriteKeepsOtherFlagBitsAsRead) {
    gateway.State().Put(sim::RecordFamily::Block, kTotalLimitBlock, TotalLimitBlock(0xF0, 100, 60));
    TForm12 form(Access());
    Child<QToolButton>(form, "SpeedButton18")->click();
    Child<QCheckBox>(form, "CheckBox1")->setChecked(false);
    Child<QLineEdit>(form, "Edit1")->setText("5");
    Child<QLineEdit>(form, "Edit2")->setText("2");

    Child<QToolButton>(form, "SpeedButton19")->click();

    const auto payloads = Payloads(kWriteBlock, kTotalLimitBlock);
    ASSERT_EQ(payloads.size(), 1u);
    EXPECT_EQ(payloads[0].at(0), 0xF1);
    EXPECT_EQ(U32At(payloads[0], 1), 300u);
    EXPECT_EQ(U32At(payloads[0], 5), 120u);
    EXPECT_EQ(op.Texts(), (Texts{"Данные считаны", "Данные записаны"}));
}

TEST_F(SyncGatewayFixture, TotalLimitRefusesNonNumbersBeforeOpeningPort) {
    for (const auto& [limit, threshold] : std::vector<std::pair<QString, QString>>{
             {"abc", "1"}, {"5", "1.5"}, {"", "1"}, {"-3", "1"}, {"99999999999", "1"}}) {
        op.entries.clear();
        TForm12 form(Access());
        Child<QLineEdit>(form, "Edit1")->setText(limit);
        Child<QLineEdit>(form, "Edit2")->setText(threshold);

        Child<QToolButton>(form, "SpeedButton19")->click();

        ASSERT_EQ(op.entries.size(), 1u) << limit.toStdString();
        EXPECT_EQ(op.entries[0].kind, RecordingOperator::Entry::Kind::Error);
        EXPECT_FALSE(port.IsOpen());
    }
    EXPECT_EQ(portNameCalls, 0);
    EXPECT_EQ(gateway.Log().Count(), 0u);
}

TEST_F(SyncGatewayFixture, TotalLimitThresholdIsCheckedBeforeNewLimit) {
    TForm12 form(Access());
    Child<QLineEdit>(form, "Edit1")->setText("limit?");
    Child<QLineEdit>(form, "Edit2")->setText("threshold?");

    Child<QToolButton>(form, "SpeedButton19")->click();

    ASSERT_EQ(op.entries.size(), 1u);
    EXPECT_NE(op.entries[0].text.find("threshold?"), std::string::npos) << op.entries[0].text;
}

TEST_F(SyncGatewayFixture, TotalLimitLinkFailureIsReported) {
    Silence(kReadBlock);
    TForm12 form(Access());

    Child<QToolButton>(form, "SpeedButton18")->click();

    EXPECT_EQ(op.Texts(), Texts{"Ошибка связи с устройством"});
    EXPECT_EQ(Text(form, "Edit3"), "");
    EXPECT_FALSE(port.IsOpen());
}

// ---- Account balance ----------------------------------------------------------

TEST_F(SyncGatewayFixture, BalanceShowsAmountOrZeroOnFailure) {
    QLocale::setDefault(QLocale::c());
    gateway.State().SetAccountBalance(1234);
    ASSERT_TRUE(port.Open(gateway.DevicePath()));
    TAcountCtrl form(Access());

    form.show();
    EXPECT_EQ(Text(form, "Label2"), "12.34");
    form.hide();

    Silence(kReadBlock);
    form.show();
    EXPECT_EQ(Text(form, "Label2"), "0");
    EXPECT_TRUE(op.entries.empty());
}

TEST(AcountCtrlFormat, PlainDecimalWithoutTrailingZeros) {
    QLocale::setDefault(QLocale::c());
    const std::vector<std::pair<std::int64_t, const char*>> cases{
        {123400, "12.34"}, {120000, "12"}, {0, "0"}, {5, "0.0005"}, {-5000, "-0.5"}};
    for (const auto& [amount, text] : cases) {
        EXPECT_EQ(TAcountCtrl::FormatAmount(amount), text) << amount;
    }
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(TAcountCtrl::FormatAmount(123400), "12,34");
    QLocale::setDefault(QLocale::c());
}

}  // namespace
}  // namespace tulvo::test
