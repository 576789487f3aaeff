// The "Журнал обмена" window over the traffic log of a link that talks to
// the simulated gateway.
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <fstream>
#include <sstream>

#include "actions/trace_log.h"
#include "sync_gateway_fixture.h"
#include "ui/sync/traffic_log_form.h"

namespace tulvo::test {
namespace {

class TrafficLogWindow : public SyncGatewayFixture {
  protected:
    void SetUp() override {
        SyncGatewayFixture::SetUp();
        // Long enough that a healthy reply is never late on a busy machine.
        port.SetTiming(LinkTiming::Fast(200));
        port.SetTrace(&log);
        ASSERT_TRUE(port.Open(gateway.DevicePath())) << port.LastOpenError();
    }

    QStringList Shown() {
        const QString text = form.findChild<QPlainTextEdit*>("Memo1")->toPlainText();
        return text.isEmpty() ? QStringList{} : text.split('\n');
    }
    // The lines shown that contain `text`.
    qsizetype CountShown(const QString& text) { return Shown().filter(text).size(); }

    TraceLog log;
    TTrafficLogForm form{log, op};
    std::array<std::uint8_t, TPortMost::kMaxPayload> data{};
    std::uint8_t status = 0;
};

TEST_F(TrafficLogWindow, ShowsTheLinesLiveFiltersToErrorsSavesAndClears) {
    Silence(0x00);
    ASSERT_FALSE(port.ReadSysInfo(data, status));  // before the window opens
    form.show();
    EXPECT_EQ(CountShown("> ReadSysInfo idx=0 try=1/1 len=0 [00 00 22 00 00 B4]"), 1);
    EXPECT_EQ(CountShown("! ReadSysInfo idx=0 try=1/1 FAILED no-reply"), 1);

    ASSERT_TRUE(port.ReadSettingFXO(data, status));
    EXPECT_EQ(CountShown("ReadSettingFXO"), 0) << "not before the next look at the log";
    form.Timer1Timer();
    EXPECT_EQ(CountShown("ReadSettingFXO"), 2);
    const QStringList all = Shown();

    auto* errorsOnly = form.findChild<QCheckBox*>("CheckBox1");
    errorsOnly->click();
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_TRUE(Shown().front().endsWith("! ReadSysInfo idx=0 try=1/1 FAILED no-reply"));

    struct Save {
        QString path;
        bool written;
    };
    // The program's own files are never saved over.
    const QString callLog = temp.filePath("DataBilling.dbf");
    std::ofstream(callLog.toStdString()) << "calls";
    form.SetOwnFiles({callLog.toStdString()});
    const Save saves[] = {{temp.filePath("errors.log"), true},
                          {temp.filePath("no/such/folder/errors.log"), false},
                          {callLog, false}};
    for (const auto& save : saves) {
        op.entries.clear();
        form.SetPathChooser([&save] { return save.path; });
        form.findChild<QPushButton*>("Button1")->click();
        std::ifstream file(save.path.toStdString());
        std::stringstream content;
        content << file.rdbuf();
        EXPECT_EQ(content.str() == (Shown().join('\n') + '\n').toStdString(), save.written)
            << save.path.toStdString();
        if (save.written) {
            EXPECT_EQ(QString::fromStdString(content.str()), Shown().join('\n') + '\n');
            EXPECT_TRUE(op.entries.empty());
        } else {
            ASSERT_EQ(op.entries.size(), 1u);
            EXPECT_EQ(op.entries[0].text,
                      "Невозможно сохранить файл " + save.path.toStdString() + "!");
        }
    }

    errorsOnly->click();
    EXPECT_EQ(Shown(), all);

    form.findChild<QPushButton*>("Button2")->click();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_TRUE(log.LinesAfter(0).empty());
    ASSERT_TRUE(port.ReadSettingFXO(data, status));
    form.Timer1Timer();
    EXPECT_EQ(Shown().size(), 2);
}

}  // namespace
}  // namespace tulvo::test
