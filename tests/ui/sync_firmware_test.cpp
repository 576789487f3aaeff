#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <fstream>

#include "sync/firmware_samples.h"
#include "sync_gateway_fixture.h"
#include "ui/shutdown_gate.h"
#include "ui/sync/form14.h"

namespace tulvo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;
const std::string kProgramWritten = "Файл TProgram записан";

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

// While the upload runs, "Записать" is disabled. A request to close the
// window or to quit the program, once the program image has begun to go out,
// asks first: "no" lets the upload finish, "yes" stops it before its next
// block with no end command; then the window closes or the program quits.
TEST_F(FirmwareWindowTest, StopRequestsDuringAnUpdateAskFirst) {
    // Each block's reply comes late, well within the read time-out.
    port.SetTiming(LinkTiming::Fast(1000));
    gateway.Faults().Add({.kind = sim::FaultRule::Kind::Delay,
                          .command = 0x16,
                          .delay = std::chrono::milliseconds(100)});
    enum class Request { Close, Escape, Quit };
    const std::string question =
        "Если прервать запись сейчас, шлюз останется без работающей программы. "
        "Прервать запись прошивки?";
    const QString program = Write("TProgram.bin", SampleProgramImage(528 * 3));
    for (const Request request : {Request::Close, Request::Escape, Request::Quit}) {
        for (const bool stop : {false, true}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(request) << " " << stop);
            gateway.State().ClearFirmware();
            gateway.Log().Clear();
            op.entries.clear();
            op.yesNoAnswers = {stop};
            ShutdownGate gate;
            bool quit = false;
            TForm14 form(Access());
            form.SetShutdownGate(&gate);
            form.show();
            Pick(form, program, {});
            auto* write = form.findChild<QPushButton*>("BitBtn1");
            QTimer::singleShot(0, &form, [&] {
                form.BitBtn1Click();  // refused while the upload runs
                ASSERT_TRUE(gateway.Log().WaitForCount(1, std::chrono::seconds(10)));
                if (request == Request::Close) {
                    form.close();
                } else if (request == Request::Escape) {
                    form.reject();
                } else {
                    gate.Request([&quit] { quit = true; });
                }
                EXPECT_FALSE(quit) << "not before the upload has ended";
            });
            write->click();
            EXPECT_EQ(op.Texts(), stop ? Texts{question} : (Texts{question, kProgramWritten}));
            EXPECT_EQ(gateway.State().FirmwareBlockWrites(), stop ? 1u : 3u);
            EXPECT_EQ(gateway.State().FirmwareEnds(), stop ? 0 : 1);
            EXPECT_EQ(quit, request == Request::Quit);
            EXPECT_EQ(form.isVisible(), request == Request::Quit || !stop);
            EXPECT_EQ(form.findChild<QLabel*>("Label3")->text().toStdString(),
                      stop ? "Запись прошивки прервана." : "");
        }
    }
}

}  // namespace
}  // namespace tulvo::test
