#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <fstream>

#include "sync/firmware_samples.h"
#include "ui/sync/form14.h"
#include "sync_gateway_fixture.h"

namespace tulvo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

class FirmwareWindowTest : public SyncGatewayFixture {
  protected:
    QString Write(const QString& name, const Bytes& bytes) {
        const QString path = temp.filePath(name);
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Picks the program and the voice file through the two pickers.
    void Pick(TForm14& form, const QString& program, const QString& voice) {
        form.SetPathChooser([program] { return program; });
        form.findChild<QToolButton*>("SpeedButton1")->click();
        form.SetPathChooser([voice] { return voice; });
        form.findChild<QToolButton*>("SpeedButton2")->click();
    }
};

TEST_F(FirmwareWindowTest, WritesBothPickedImagesToTheGateway) {
    TForm14 form(Access());
    EXPECT_EQ(form.windowTitle(), "Прошивка");
    const Bytes program = SampleProgramImage(528 * 5);
    const QString programPath = Write("TProgram.bin", program);
    Pick(form, programPath, Write("TVoice.bin", SampleVoiceImage(2, 300)));
    EXPECT_EQ(form.findChild<QLineEdit*>("Edit1")->text(), programPath);
    form.findChild<QPushButton*>("BitBtn1")->click();

    EXPECT_EQ(op.Texts(), (Texts{"Файл TProgram записан", "Файл TVoice записан"}));
    const auto blocks = gateway.State().FirmwareBlocks();
    ASSERT_EQ(blocks.size(), 5u + 2u);
    EXPECT_EQ(Bytes(blocks.at(3340).begin(), blocks.at(3340).end() - 1),
              Bytes(program.end() - 528, program.end()));
    EXPECT_EQ(gateway.State().FirmwareEnds(), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_TRUE(form.findChild<QPushButton*>("BitBtn1")->isEnabled());
}

// While the upload runs, "Записать" is disabled and the window stays open.
TEST_F(FirmwareWindowTest, RefusesASecondStartAndClosingWhileUpdating) {
    // The first block's reply comes late, well within the read time-out.
    port.SetTiming(LinkTiming::Fast(1000));
    gateway.Faults().Add({.kind = sim::FaultRule::Kind::Delay,
                          .command = 0x16,
                          .count = 1,
                          .delay = std::chrono::milliseconds(150)});
    TForm14 form(Access());
    form.show();
    Pick(form, Write("TProgram.bin", SampleProgramImage(528 * 2)), {});
    auto* write = form.findChild<QPushButton*>("BitBtn1");
    bool checked = false;
    QTimer::singleShot(0, &form, [&] {
        checked = true;
        EXPECT_TRUE(form.Updating());
        EXPECT_FALSE(write->isEnabled());
        form.BitBtn1Click();
        form.close();
        form.reject();
        EXPECT_TRUE(form.isVisible());
    });
    write->click();
    EXPECT_TRUE(checked);
    EXPECT_EQ(op.Texts(), Texts{"Файл TProgram записан"});
    EXPECT_EQ(gateway.State().FirmwareBlockWrites(), 2u) << "no second upload";
    EXPECT_TRUE(write->isEnabled());
    form.close();
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
}  // namespace tulvo::test
