#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>

#include "app/demo_image.h"
#include "model/t_data.h"
#include "sim/demo_population.h"
#include "store/image_store.h"
#include "store/registry_store.h"
#include "sync/image_transfer.h"
#include "sync_gateway_fixture.h"
#include "ui/sync/form10.h"
#include "ui/sync/read_data.h"

namespace tulvo::test {
namespace {

constexpr std::uint8_t kWriteClock = 0x02;
constexpr std::uint8_t kWriteAbInfo = 0x06;
constexpr std::uint8_t kReadAbInfo = 0x07;

using Texts = std::vector<std::string>;

class TransferTest : public SyncGatewayFixture {
  protected:
    void SetUp() override {
        SyncGatewayFixture::SetUp();
        sim::SeedDemoPopulation(gateway.State(), BuildDemoPopulation());
    }

    std::string StorePath() const { return (temp.path() + "/store.reg").toStdString(); }

    bool Read() {
        RegistryStore store(StorePath());
        return TForm10::ReadEverything(nullptr, {image, store}, Access(), [this] { ++redraws; });
    }

    // The whole-image read over the port the test opened.
    GatewayActions::Job ReadJob() {
        return [this](TransferProgress& progress) {
            return ImageTransfer(image, port, op, progress).FullRead();
        };
    }

    TData image;
    int redraws = 0;
};

TEST_F(TransferTest, ReadFillsImageSavesSubscribersAndRedraws) {
    ASSERT_TRUE(Read());

    EXPECT_EQ(op.Texts(), Texts{"Чтение завершено!"});
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(image.AbInfo(1).Empty());
    EXPECT_EQ(image.AbPhone(2).PhoneIn(), "80672345678");
    EXPECT_TRUE(image.AbInfo(13).Empty());

    // What was read is in the store: a fresh image loads it back.
    RegistryStore store(StorePath());
    TData reloaded;
    LoadSubscribers(reloaded, store);
    EXPECT_EQ(reloaded.AbPhone(12).PhoneIn(), "80973456789");
    EXPECT_EQ(reloaded.AbInfo(12).ID(), 12u);
}

TEST_F(TransferTest, SilentGatewayEndsReadWithLinkErrorButStillSavesAndRedraws) {
    Silence(-1);

    EXPECT_FALSE(Read());

    const Texts texts = op.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Ошибка связи с устройством!"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "Чтение завершено!"), texts.end());
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(port.IsOpen());
    RegistryStore store(StorePath());
    EXPECT_TRUE(store.OpenKey(kDBaseKey).ReadBinary("AbInfo1").has_value());
}

TEST_F(TransferTest, MissingOrUnopenablePortStopsBeforeAnythingIsCreated) {
    RegistryStore store(StorePath());
    EXPECT_FALSE(
        TForm10::ReadEverything(nullptr, {image, store}, AccessTo(""), [this] { ++redraws; }));
    EXPECT_FALSE(TForm10::WriteEverything(nullptr, image,
                                          AccessTo(temp.path().toStdString() + "/no-such-tty")));

    ASSERT_EQ(op.entries.size(), 2u);
    EXPECT_EQ(op.entries[0].text, "Невозможно открыть порт!");
    EXPECT_EQ(op.entries[1].text, "Невозможно открыть порт!");
    EXPECT_FALSE(op.entries[1].detail.empty()) << "the system's reason goes into the detail";
    EXPECT_EQ(redraws, 0);
    EXPECT_EQ(gateway.Log().Count(), 0u);
}

TEST_F(TransferTest, WriteSendsImageThenSetsClock) {
    BuildDemoImage(image);
    image.AbPhone(3).SetPhoneIn("80990000003");

    ASSERT_TRUE(TForm10::WriteEverything(nullptr, image, Access()));

    EXPECT_EQ(op.Texts(), Texts{"Синхронизация завершена"});
    EXPECT_EQ(gateway.State().ClockWrites(), 1);
    EXPECT_FALSE(port.IsOpen());
    const auto phone = gateway.State().Get(sim::RecordFamily::AbPhone, 2);
    ASSERT_TRUE(phone.has_value());
    EXPECT_EQ(std::string(phone->begin() + 4, phone->begin() + 15), "80990000003");
    // The clock goes last, after the whole image.
    EXPECT_EQ(gateway.Log().Entries().back().command, kWriteClock);
}

TEST_F(TransferTest, FailedWriteReportsAndSendsNoClock) {
    BuildDemoImage(image);
    Silence(kWriteAbInfo);

    EXPECT_FALSE(TForm10::WriteEverything(nullptr, image, Access()));

    const Texts texts = op.Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Ошибка при записи данных в устройсво!");
    EXPECT_EQ(gateway.Log().CountOf(kWriteClock), 0u);
    EXPECT_EQ(gateway.State().ClockWrites(), 0);
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(TransferTest, RefusedClockIsReportedBeforeSynchronisationEnds) {
    BuildDemoImage(image);
    sim::FaultRule rule;
    rule.kind = sim::FaultRule::Kind::Status;
    rule.command = kWriteClock;
    rule.status = 3;
    gateway.Faults().Add(rule);

    EXPECT_TRUE(TForm10::WriteEverything(nullptr, image, Access()));

    EXPECT_EQ(op.Texts(),
              (Texts{"Ошибка синхронизации времени в устройстве!", "Синхронизация завершена"}));
}

TEST_F(TransferTest, ProgressWindowReachesAllStepsAndTakesTheThreadsResult) {
    ASSERT_TRUE(port.Open(gateway.DevicePath()));
    TReadData thread(ReadJob(), op);
    TForm10 form(nullptr, thread);

    form.exec();
    thread.wait();

    EXPECT_TRUE(form.Result());
    EXPECT_TRUE(thread.Done());
    EXPECT_EQ(form.findChild<QProgressBar*>("ProgressBar1")->value(),
              TransferProgress::kFullTransferSteps);
    EXPECT_EQ(form.windowTitle(), "Чтение данных");
    EXPECT_GE(gateway.Log().CountOf(kReadAbInfo), 300u);
}

// Presses "Прервать" once the progress window says which subscriber is on
// its way, and keeps what the window said.
class StopPresser {
  public:
    StopPresser() {
        watch_.setInterval(5);
        QObject::connect(&watch_, &QTimer::timeout, [this] { PressOnceStageShows(); });
        watch_.start();
    }
    const QString& StageShown() const { return stageShown_; }

  private:
    void PressOnceStageShows() {
        auto* form = qobject_cast<TForm10*>(QApplication::activeModalWidget());
        const auto* stage = form != nullptr ? form->findChild<QLabel*>("Label1") : nullptr;
        if (stage != nullptr && !stage->text().isEmpty() && stageShown_.isEmpty()) {
            stageShown_ = stage->text();
            form->findChild<QPushButton*>("Button1")->click();
        }
    }

    QTimer watch_;
    QString stageShown_;
};

// "Прервать" stops a transfer before its next transaction: the port is
// closed and the operator is told; a read keeps what it read, a stopped
// write sets no clock.
TEST_F(TransferTest, StopButtonEndsTransferKeepingWhatWasRead) {
    sim::Pacing slow;
    slow.latency = std::chrono::milliseconds(2);
    gateway.SetPacing(slow);
    {
        StopPresser presser;
        EXPECT_FALSE(Read());
        EXPECT_TRUE(presser.StageShown().startsWith(QString::fromUtf8("Абоненты: ")) &&
                    presser.StageShown().endsWith(QString::fromUtf8(" из 300")))
            << presser.StageShown().toStdString();
    }
    EXPECT_EQ(op.Texts(), Texts{"Чтение прервано. Порт закрыт; прочитанные данные сохранены."});
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(redraws, 1);
    EXPECT_LT(gateway.Log().CountOf(kReadAbInfo), 300u);
    RegistryStore store(StorePath());
    TData reloaded;
    LoadSubscribers(reloaded, store);
    EXPECT_EQ(reloaded.AbPhone(1).PhoneIn(), image.AbPhone(1).PhoneIn());
    EXPECT_FALSE(reloaded.AbInfo(1).Empty());

    op.entries.clear();
    {
        StopPresser presser;
        EXPECT_FALSE(TForm10::WriteEverything(nullptr, image, Access()));
    }
    EXPECT_EQ(op.Texts(), Texts{"Запись прервана. Порт закрыт; шлюз получил только часть данных, "
                                "время не установлено."});
    EXPECT_FALSE(port.IsOpen());
    EXPECT_LT(gateway.Log().CountOf(kWriteAbInfo), 300u);
    EXPECT_EQ(gateway.State().ClockWrites(), 0);
}

TEST_F(TransferTest, OperatorCannotCloseProgressWindowWhileTransferRuns) {
    sim::Pacing slow;
    slow.latency = std::chrono::milliseconds(1);
    gateway.SetPacing(slow);
    ASSERT_TRUE(port.Open(gateway.DevicePath()));
    TReadData thread(ReadJob(), op);
    TForm10 form(nullptr, thread);
    bool visibleAfterAttempts = false;
    QTimer::singleShot(50, &form, [&] {
        QTest::keyClick(&form, Qt::Key_Escape);
        static_cast<QDialog&>(form).reject();
        form.close();
        visibleAfterAttempts = form.isVisible();
    });

    form.exec();
    thread.wait();

    EXPECT_TRUE(visibleAfterAttempts);
    EXPECT_TRUE(form.Result());
}

}  // namespace
}  // namespace tulvo::test
