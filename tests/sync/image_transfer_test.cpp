#include "sync/image_transfer.h"

#include <gtest/gtest.h>
#include <memory>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "link/crc8.h"
#include "link/port_most.h"
#include "model/t_data.h"
#include "sim/gateway.h"
#include "support/recording_operator.h"
#include "sync_population.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;
using sim::FaultRule;
using sim::RecordFamily;
using Bytes = std::vector<std::uint8_t>;
using Pop = test::SyncPopulation;
using Strings = std::vector<std::string>;

const std::string kLinkError = "Ошибка связи с устройством!";

// Records every message with the progress position at the time it was shown.
class ProgressOperator : public test::RecordingOperator {
  public:
    explicit ProgressOperator(const TransferProgress& progress) : progress_(progress) {}
    void Message(const std::string& text) override {
        positions.push_back(progress_.Position());
        RecordingOperator::Message(text);
    }
    std::vector<int> positions;

  private:
    const TransferProgress& progress_;
};

struct Req {
    int command;
    int index;
    bool operator==(const Req&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Req& r) {
    return out << std::hex << r.command << "/" << std::dec << r.index;
}

class ImageTransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        ASSERT_TRUE(port.Open(gateway.DevicePath())) << port.LastOpenError();
    }
    void TearDown() override {
        port.Close();
        gateway.Stop();
    }

    std::vector<Req> Requests() {
        std::vector<Req> out;
        for (const auto& r : gateway.Log().Entries()) {
            out.push_back({r.command, r.index});
        }
        return out;
    }

    // Marks every image slot so that a slot left alone can be told apart.
    void FillImageWithOldContents() {
        for (int n = 1; n <= TData::kSubscribers; ++n) {
            image.AbInfo(n).SetID(0xAAAA0000u + static_cast<std::uint32_t>(n));
            image.AbInfo(n).SetFLAG(0);
            image.AbLimit(n).SetLimitSeconds(7);
            image.AbPhone(n).SetPhoneIn("old");
            image.Name(n) = {static_cast<std::int32_t>(Pop::IdOf(n)), "Имя"};
        }
    }

    static Bytes BlankAbInfo() {
        std::array<std::uint8_t, 33> bytes{};
        AbInfoRecord(bytes).Reset();
        return {bytes.begin(), bytes.end()};
    }

    sim::Gateway gateway;
    // Short, but long enough that a loaded machine does not cause retries in
    // the tests that check the exact sequence of requests.
    TPortMost port{LinkTiming::Fast(50)};
    TData image;
    TransferProgress progress;
    ProgressOperator op{progress};
    ImageTransfer transfer{image, port, op, progress};
};

TEST_F(ImageTransferTest, FullReadOfAFullGatewayCopiesEverythingInOrder) {
    Pop::Seed(gateway.State());
    image.Name(5) = {static_cast<std::int32_t>(Pop::IdOf(5)), "Петро"};

    EXPECT_TRUE(transfer.FullRead());

    EXPECT_EQ(Pop::FirstDifference(image), "");
    EXPECT_TRUE(op.entries.empty());
    EXPECT_EQ(progress.Position(), 486);
    EXPECT_EQ(image.Name(5).AbFNS, "Петро");

    std::vector<Req> expected;
    for (int i = 0; i < 300; ++i) {
        expected.insert(expected.end(), {{0x07, i}, {0x0B, i}, {0x14, i}});
    }
    for (int block : {0, 1, 2, 3, 8, 4}) {
        expected.push_back({0x05, block});
    }
    for (int k = 0; k < 186; ++k) {
        expected.push_back({0x0D, k});
    }
    for (int m = 0; m < 10; ++m) {
        expected.push_back({0x19, m});
    }
    EXPECT_EQ(Requests(), expected);
}

TEST_F(ImageTransferTest, EmptySlotsSendOnlyTheInfoRequest) {
    Pop::Seed(gateway.State(), 2, 0, 0);
    EXPECT_TRUE(transfer.ReadSubscribers());
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 2u * 3 + 298);
    EXPECT_EQ(requests[6], (Req{0x07, 2}));
    EXPECT_EQ(requests.back(), (Req{0x07, 299}));
}

TEST_F(ImageTransferTest, GatewayWithEveryEntryEmptyLeavesBlankSlots) {
    FillImageWithOldContents();
    image.BlackListEntry(3).SetNUM("0671");
    image.SMSMessage(1).SetText("old text");

    EXPECT_TRUE(transfer.FullRead());

    EXPECT_TRUE(op.entries.empty());
    EXPECT_EQ(progress.Position(), 486);
    for (int n = 1; n <= TData::kSubscribers; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(Pop::BytesOf(image.AbInfo(n)), BlankAbInfo());
        EXPECT_EQ(image.AbLimit(n).bytes()[0], 0x01);
        EXPECT_EQ(image.AbLimit(n).LimitSeconds(), 0u);
        EXPECT_TRUE(image.AbLimit(n).ChecksumValid());
        EXPECT_EQ(image.AbPhone(n).bytes()[0], 0x80);
        EXPECT_EQ(image.AbPhone(n).PhoneIndex(), n - 1);
        EXPECT_EQ(image.Name(n).AbFNS, "");
    }
    // Entries the gateway holds empty are blank, as a fresh image has them:
    // keeping the old ones would send them back with the next write.
    const auto fresh = std::make_unique<TData>();
    EXPECT_EQ(Pop::BytesOf(image.BlackListEntry(3)), Pop::BytesOf(fresh->BlackListEntry(3)));
    EXPECT_EQ(Pop::BytesOf(image.SMSMessage(1)), Pop::BytesOf(fresh->SMSMessage(1)));
}

TEST_F(ImageTransferTest, LinkFailureAtSubscriber150StopsTheWholeRead) {
    Pop::Seed(gateway.State());
    FillImageWithOldContents();
    gateway.Faults().Add({.kind = FaultRule::Kind::Silence, .command = 0x07, .fromIndex = 149});
    std::vector<Bytes> before;
    for (int n = 150; n <= 300; ++n) {
        before.push_back(Pop::BytesOf(image.AbInfo(n)));
    }

    EXPECT_FALSE(transfer.FullRead());

    EXPECT_EQ(op.Texts(), Strings{kLinkError});
    for (int n = 1; n <= 149; ++n) {
        ASSERT_EQ(Pop::BytesOf(image.AbInfo(n)), Pop::AbInfo(n)) << n;
        ASSERT_EQ(Pop::BytesOf(image.AbLimit(n)), Pop::AbLimit(n)) << n;
    }
    for (int n = 150; n <= 300; ++n) {
        ASSERT_EQ(Pop::BytesOf(image.AbInfo(n)), before[n - 150]) << n;
        ASSERT_EQ(image.AbLimit(n).LimitSeconds(), 7u) << n;
        ASSERT_EQ(image.Name(n).AbFNS, "Имя") << n;
    }
    // Five attempts at slot 150, then nothing more.
    const auto requests = Requests();
    ASSERT_GE(requests.size(), 5u);
    for (std::size_t i = requests.size() - 5; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i], (Req{0x07, 149}));
    }
    EXPECT_EQ(requests.size(), 149u * 3 + 5);
}

TEST_F(ImageTransferTest, RefusalsWhileReadingASubscriberAreToldAndTheLoopGoesOn) {
    Pop::Seed(gateway.State());
    FillImageWithOldContents();
    image.Name(5).AbIdCod = 1;  // would drop the name, had the phone read succeeded
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x0B, .fromIndex = 4, .toIndex = 4});
    gateway.Faults().Add({.kind = FaultRule::Kind::Status,
                          .command = 0x14,
                          .fromIndex = 6,
                          .toIndex = 6,
                          .status = 3});
    gateway.Faults().Add({.kind = FaultRule::Kind::Status,
                          .command = 0x14,
                          .fromIndex = 7,
                          .toIndex = 7,
                          .status = 2});
    gateway.Faults().Add({.kind = FaultRule::Kind::Status,
                          .command = 0x07,
                          .fromIndex = 8,
                          .toIndex = 8,
                          .status = 1});

    EXPECT_TRUE(transfer.ReadSubscribers());

    EXPECT_EQ(op.Texts(),
              (Strings{"Ошибка чтения телефона! №5", "Ошибка при чтении общего лимита! №7",
                       "Ошибка чтения абонента! №9"}));
    EXPECT_EQ(op.positions, (std::vector<int>{5, 7, 9}));
    // Refused phone: blank phone with its index, limit still read, name kept.
    EXPECT_EQ(image.AbPhone(5).bytes()[0], 0x80);
    EXPECT_EQ(image.AbPhone(5).PhoneIndex(), 4);
    EXPECT_EQ(Pop::BytesOf(image.AbLimit(5)), Pop::AbLimit(5));
    EXPECT_EQ(image.Name(5).AbFNS, "Имя");
    // Refused (7) and empty (8) limits are stored blank.
    for (int n : {7, 8}) {
        EXPECT_EQ(image.AbLimit(n).bytes()[0], 0x01) << n;
        EXPECT_EQ(image.AbLimit(n).LimitSeconds(), 0u) << n;
        EXPECT_EQ(Pop::BytesOf(image.AbInfo(n)), Pop::AbInfo(n)) << n;
    }
    // Refused subscriber: stored empty, name dropped.
    EXPECT_EQ(Pop::BytesOf(image.AbInfo(9)), BlankAbInfo());
    EXPECT_EQ(image.Name(9).AbFNS, "");
    EXPECT_EQ(Pop::BytesOf(image.AbInfo(10)), Pop::AbInfo(10));
}

TEST_F(ImageTransferTest, NameIsKeptOnlyWhileTheIdentifierMatches) {
    Pop::Seed(gateway.State(), 2, 0, 0);
    image.Name(1) = {static_cast<std::int32_t>(Pop::IdOf(1)), "Same"};
    image.Name(2) = {static_cast<std::int32_t>(Pop::IdOf(2) + 1), "Other"};
    image.Name(3) = {-1, "Gone"};

    EXPECT_TRUE(transfer.ReadSubscribers());

    EXPECT_EQ(image.Name(1).AbFNS, "Same");
    EXPECT_EQ(image.Name(2).AbFNS, "");
    EXPECT_EQ(image.Name(3).AbFNS, "");
    EXPECT_EQ(image.Name(2).AbIdCod, static_cast<std::int32_t>(Pop::IdOf(2) + 1));
}

TEST_F(ImageTransferTest, ListEntriesWithEqualTypeBitsAreStoredUnused) {
    gateway.State().SetFlaggedEntriesReadAsEmpty(false);
    const std::uint8_t flags[] = {0x00, 0x03, 0x01, 0x02, 0x81, 0x07};
    const std::uint8_t stored[] = {0x80, 0x83, 0x01, 0x02, 0x81, 0x87};
    for (int k = 0; k < 6; ++k) {
        Bytes entry = Pop::BlackListEntry(k);
        entry[0] = flags[k];
        entry.back() = Crc8(entry.data(), entry.size() - 1);
        gateway.State().Put(RecordFamily::BlackListEntry, k, entry);
    }
    image.BlackListEntry(186).SetNUM("keep");
    const Bytes last = Pop::BytesOf(image.BlackListEntry(186));

    EXPECT_TRUE(transfer.ReadBlackList());

    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(image.BlackListEntry(k).bytes()[0], stored[k]) << k;
        EXPECT_TRUE(image.BlackListEntry(k).ChecksumValid()) << k;
        EXPECT_EQ(image.BlackListEntry(k).NUM(), "067" + std::to_string(k));
    }
    EXPECT_EQ(Pop::BytesOf(image.BlackListEntry(186)), last);
    EXPECT_EQ(gateway.Log().CountOf(0x0D), 186u);
    EXPECT_EQ(progress.Position(), 186);
}

TEST_F(ImageTransferTest, RefusedListEntryEndsTheListButNotTheRead) {
    Pop::Seed(gateway.State());
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x0D, .fromIndex = 9, .toIndex = 9});

    EXPECT_TRUE(transfer.FullRead());

    EXPECT_EQ(op.Texts(), Strings{"Ошибка чтения черного списка!"});
    EXPECT_EQ(op.positions, std::vector<int>{300 + 9});
    EXPECT_EQ(gateway.Log().CountOf(0x0D), 10u);
    EXPECT_EQ(gateway.Log().CountOf(0x19), 10u);
    EXPECT_EQ(Pop::BytesOf(image.SMSMessage(9)), Pop::Sms(9));
}

// An entry the gateway holds empty is blank after the read, so the next write
// cannot send back what the gateway no longer has.
TEST_F(ImageTransferTest, SmsReadBlanksEmptyMessagesAndStopsAtARefusal) {
    Pop::Seed(gateway.State(), 0, 0, 3);
    image.SMSMessage(4).SetText("local");
    gateway.Faults().Add({.kind = FaultRule::Kind::Status,
                          .command = 0x19,
                          .fromIndex = 6,
                          .toIndex = 6,
                          .status = 5});

    EXPECT_TRUE(transfer.ReadSMSMessages());

    EXPECT_EQ(op.Texts(), Strings{"Ошибка при чтении SMS сообщений!"});
    EXPECT_EQ(Pop::BytesOf(image.SMSMessage(2)), Pop::Sms(2));
    EXPECT_EQ(image.SMSMessage(4).Text(), "");
    EXPECT_EQ(gateway.Log().CountOf(0x19), 7u);
}

TEST_F(ImageTransferTest, SettingsBlockProblemsEndTheGroupWithTheBlocksMessage) {
    struct Case {
        bool write;
        int block;
        FaultRule::Kind kind;
        std::string message;
        std::size_t requests;
    };
    const std::vector<Case> cases = {
        {false, 0, FaultRule::Kind::Status, "Ошибка чтения FXO!", 1},
        {false, 1, FaultRule::Kind::Status, "Ошибка чтения FXS!", 2},
        {false, 2, FaultRule::Kind::Status, "Ошибка чтения MOB!", 3},
        {false, 3, FaultRule::Kind::Status, "Ошибка чтения пароля администратора!", 4},
        {false, 8, FaultRule::Kind::Status, "Ошибка чтения!", 5},
        {false, 2, FaultRule::Kind::Silence, kLinkError, 2 + 5},
        {true, 0, FaultRule::Kind::Status, "Ошибка записи FXO!", 1},
        {true, 1, FaultRule::Kind::Status, "Ошибка записи FXS!", 2},
        {true, 2, FaultRule::Kind::Status, "Ошибка записи MOB!", 3},
        {true, 3, FaultRule::Kind::Status, "Ошибка записи пароля администратора!", 4},
        {true, 8, FaultRule::Kind::Status, "Ошибка записи в устройство!", 5},
        {true, 8, FaultRule::Kind::BadHeader, kLinkError, 4 + 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + (c.write ? " write" : " read"));
        gateway.Faults().Clear();
        gateway.Log().Clear();
        op.entries.clear();
        gateway.Faults().Add({.kind = c.kind,
                              .command = c.write ? 0x04 : 0x05,
                              .fromIndex = c.block,
                              .toIndex = c.block});
        EXPECT_FALSE(c.write ? transfer.WriteSettings() : transfer.ReadSettings());
        EXPECT_EQ(op.Texts(), Strings{c.message});
        EXPECT_EQ(gateway.Log().Count(), c.requests);
    }
}

TEST_F(ImageTransferTest, AlarmProblemsAreToldAndFail) {
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x05, .fromIndex = 4, .toIndex = 4});
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x04, .fromIndex = 4, .toIndex = 4});
    EXPECT_FALSE(transfer.ReadAlarm());
    EXPECT_FALSE(transfer.WriteAlarm());
    EXPECT_EQ(op.Texts(), (Strings{"Ошибка чтения параметров оповещения!",
                                   "Ошибка записи параметров оповещения!"}));
}

TEST_F(ImageTransferTest, FullWriteSendsEverySlotButNoLimitsInOrder) {
    for (int n = 1; n <= 3; ++n) {
        std::copy_n(Pop::AbInfo(n).begin(), 33, image.AbInfo(n).bytes().begin());
        std::copy_n(Pop::AbPhone(n).begin(), 38, image.AbPhone(n).bytes().begin());
    }
    image.AbPhone(2).SetPhoneIndex(0xFFFF);  // a stale index is corrected before sending
    image.AbPhone(2).UpdateChecksum();

    EXPECT_TRUE(transfer.FullWrite());

    EXPECT_TRUE(op.entries.empty());
    EXPECT_EQ(progress.Position(), 486);
    std::vector<Req> expected;
    for (int i = 0; i < 300; ++i) {
        expected.insert(expected.end(), {{0x06, i}, {0x0A, i}});
    }
    for (int block : {0, 1, 2, 3, 8, 4}) {
        expected.push_back({0x04, block});
    }
    for (int k = 0; k < 186; ++k) {
        expected.push_back({0x0C, k});
    }
    for (int m = 0; m < 10; ++m) {
        expected.push_back({0x18, m});
    }
    EXPECT_EQ(Requests(), expected);
    EXPECT_EQ(gateway.Log().CountOf(0x15), 0u);

    auto& state = gateway.State();
    EXPECT_EQ(state.Get(RecordFamily::AbInfo, 0), Pop::AbInfo(1));
    EXPECT_EQ(state.Get(RecordFamily::AbPhone, 1), Pop::AbPhone(2));
    // Empty slots travel too, with their own index in the phone record.
    const auto empty = state.Get(RecordFamily::AbInfo, 299);
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, Pop::BytesOf(image.AbInfo(300)));
    EXPECT_EQ(image.AbPhone(300).PhoneIndex(), 299);
    const auto payloads = gateway.Log().Entries();
    EXPECT_EQ(Crc8(payloads[1].payload.data(), payloads[1].payload.size()), 0);
}

TEST_F(ImageTransferTest, RefusedWritesOfASubscriberAreToldAndSkipItsPhone) {
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x06, .fromIndex = 2, .toIndex = 2});
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x0A, .fromIndex = 3, .toIndex = 3});

    EXPECT_TRUE(transfer.WriteSubscribers());

    EXPECT_EQ(op.Texts(), (Strings{"Ошибка записи абонента! №3", "Ошибка записи телефона! №4"}));
    EXPECT_EQ(gateway.Log().CountOf(0x06), 300u);
    EXPECT_EQ(gateway.Log().CountOf(0x0A), 299u);
}

TEST_F(ImageTransferTest, ListAndSmsWriteProblemsStopTheFullWrite) {
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x0C, .fromIndex = 40, .toIndex = 40});
    EXPECT_FALSE(transfer.FullWrite());
    EXPECT_EQ(op.Texts(), Strings{"Ошибка записи черного списка!"});
    EXPECT_EQ(progress.Position(), 300 + 40);
    EXPECT_EQ(gateway.Log().CountOf(0x18), 0u);

    op.entries.clear();
    gateway.Faults().Clear();
    gateway.Faults().Add(
        {.kind = FaultRule::Kind::Status, .command = 0x18, .fromIndex = 3, .toIndex = 3});
    EXPECT_FALSE(transfer.WriteSMSMessages());
    EXPECT_EQ(op.Texts(), Strings{"Ошибка записи SMS сообщения!"});
}

TEST_F(ImageTransferTest, PortThatDisappearsMidReadEndsItPromptly) {
    Pop::Seed(gateway.State());
    gateway.Faults().Add({.kind = FaultRule::Kind::HangUp, .command = 0x0B, .fromIndex = 50});
    const auto start = std::chrono::steady_clock::now();

    EXPECT_FALSE(transfer.FullRead());

    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(op.Texts(), Strings{kLinkError});
    EXPECT_EQ(Pop::BytesOf(image.AbInfo(50)), Pop::AbInfo(50));
    EXPECT_EQ(Pop::BytesOf(image.AbPhone(51)), Pop::BytesOf(TData().AbPhone(51)));
}

TEST_F(ImageTransferTest, NoisyLinkStillCompletesAFullRead) {
    Pop::Seed(gateway.State());
    gateway.Faults().SetSeed(7);
    gateway.Faults().Add({.kind = FaultRule::Kind::Noise, .rate = 0.001});
    port.Close();
    port.SetTiming(LinkTiming::Fast());
    ASSERT_TRUE(port.Open(gateway.DevicePath()));

    EXPECT_TRUE(transfer.FullRead());

    EXPECT_TRUE(op.entries.empty()) << op.Texts().front();
    EXPECT_GT(gateway.Log().Count(), 300u * 3 + 202);  // some requests were repeated
}

}  // namespace
}  // namespace tulvo
