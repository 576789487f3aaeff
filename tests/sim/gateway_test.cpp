#include "sim/gateway.h"
#include "sim/demo_population.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "link/crc8.h"
#include "raw_pty_client.h"

namespace tulvo::sim {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using test::RawPtyClient;

constexpr auto kWait = 2000ms;

class SimGateway : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        client = std::make_unique<RawPtyClient>(gateway.DevicePath());
        ASSERT_TRUE(client->IsOpen());
    }

    // Sends a request and returns the reply body (status, 4 bytes, checksum, payload).
    Bytes Ask(std::uint8_t command, std::uint16_t index, std::uint8_t replyLength,
              Bytes payload = {}) {
        client->SendRequest(command, index, replyLength, std::move(payload));
        auto reply = client->ReadFrame(kWait);
        EXPECT_TRUE(reply) << "no reply to command " << int(command);
        return reply.value_or(Bytes{});
    }

    static Bytes Record(std::size_t size, std::uint8_t first) {
        Bytes record(size);
        std::iota(record.begin(), record.end(), first);
        record.back() = Crc8(record.data(), size - 1);
        return record;
    }

    Gateway gateway;
    std::unique_ptr<RawPtyClient> client;
};

TEST_F(SimGateway, AnswersWorkedRequestsWithWellFormedReplies) {
    // ReadSettingFXO exactly as a client frames it.
    client->Send({0x0A, 0x05, 0x00, 0x14, 0x00, 0x00, 0x6C, 0x0D});
    auto fxo = client->ReadFrame(kWait);
    ASSERT_TRUE(fxo);
    ASSERT_EQ(fxo->size(), 26u);
    EXPECT_EQ((*fxo)[0], 0x00);
    EXPECT_EQ(Crc8(fxo->data(), 6), 0);
    EXPECT_EQ(Crc8(fxo->data() + 6, 20), 0);

    // ReadSysInfo: 34 payload bytes starting with the firmware text.
    client->Send({0x0A, 0x00, 0x00, 0x22, 0x00, 0x00, 0xB4, 0x0D});
    auto info = client->ReadFrame(kWait);
    ASSERT_TRUE(info);
    ASSERT_EQ(info->size(), 40u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info->data() + 6)), "TU-2.14");
    EXPECT_EQ((*info)[6 + 29], 0x00);  // bootloader 0x0200, low byte first
    EXPECT_EQ((*info)[6 + 30], 0x02);
    EXPECT_EQ((*info)[6 + 31], 0xFF);  // and its complement
    EXPECT_EQ((*info)[6 + 32], 0xFD);
}

TEST_F(SimGateway, KeepsWhatIsWrittenInEveryRecordFamily) {
    struct Case {
        std::uint8_t write, read;
        std::uint16_t index;
        std::size_t size;
    };
    const Case cases[] = {
        {0x06, 0x07, 299, 33}, {0x0A, 0x0B, 0, 38}, {0x15, 0x14, 17, 6}, {0x0C, 0x0D, 185, 22},
        {0x18, 0x19, 9, 162},  {0x04, 0x05, 0, 20}, {0x04, 0x05, 2, 52}, {0x04, 0x05, 4, 161},
        {0x04, 0x05, 8, 36},   {0x04, 0x05, 5, 10}, {0x04, 0x05, 6, 10},
    };
    for (const auto& c : cases) {
        const Bytes record = Record(c.size, 0x10);
        Bytes ack = Ask(c.write, c.index, 0, record);
        ASSERT_EQ(ack.size(), 6u);
        EXPECT_EQ(ack[0], 0) << "write " << int(c.write) << " index " << c.index;
        Bytes back = Ask(c.read, c.index, static_cast<std::uint8_t>(c.size));
        ASSERT_EQ(back.size(), 6 + c.size) << "read " << int(c.read);
        EXPECT_EQ(Bytes(back.begin() + 6, back.end()), record) << "read " << int(c.read);
    }
    EXPECT_EQ(gateway.Log().CountOf(0x04), 6u);
}

TEST_F(SimGateway, ReadsEmptyUnknownAndForbiddenEntriesWithTheirStatus) {
    Bytes flagged = Record(33, 0x80);  // bit 7 of the first byte: empty slot
    ASSERT_EQ(Ask(0x06, 3, 0, flagged)[0], 0);
    struct Case {
        std::uint8_t command;
        std::uint16_t index;
        std::uint8_t status;
    };
    const Case cases[] = {
        {0x07, 0, 2},  // subscriber never written
        {0x07, 3, 2},  // written with the empty flag
        {0x0B, 5, 2},   {0x14, 5, 2},  {0x0D, 5, 2},  {0x19, 5, 2},
        {0x07, 300, 1},                                              // past the last slot
        {0x0D, 186, 1}, {0x19, 10, 1}, {0x05, 10, 1}, {0x05, 7, 1},  // the PIN cannot be read back
        {0x55, 0, 1},                                                // unknown command
    };
    for (const auto& c : cases) {
        Bytes reply = Ask(c.command, c.index, 0);
        ASSERT_EQ(reply.size(), 6u) << int(c.command) << "/" << c.index;
        EXPECT_EQ(reply[0], c.status) << int(c.command) << "/" << c.index;
    }

    gateway.State().SetFlaggedEntriesReadAsEmpty(false);
    EXPECT_EQ(Bytes(Ask(0x07, 3, 33)).size(), 6u + 33);
}

TEST_F(SimGateway, RefusesWritesOfTheWrongSizeOrToReadOnlyBlocks) {
    EXPECT_EQ(Ask(0x06, 0, 0, Record(32, 1))[0], 1);
    EXPECT_EQ(Ask(0x04, 9, 0, Record(5, 1))[0], 1);  // balance is read-only
    EXPECT_EQ(Ask(0x02, 0, 0, Record(9, 1))[0], 1);  // clock is 10 bytes
    EXPECT_EQ(Ask(0x04, 7, 0, Record(6, 1))[0], 0);  // the PIN is write-only
    EXPECT_FALSE(gateway.State().Get(RecordFamily::AbInfo, 0));
}

TEST_F(SimGateway, DropsDamagedRequestsSilently) {
    client->Send({0x0A, 0x07, 0x00, 0x21, 0x05, 0x00, 0x2D, 0x0D});  // header checksum off
    client->Send({0x0A, 0x0D});                                      // resynchronising frame
    client->Send({0x0A, 0x00, 0x00, 0x22, 0x00, 0x00, 0xB4, 0x0D});  // good ReadSysInfo
    auto reply = client->ReadFrame(kWait);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->size(), 40u) << "the first reply must be the system information";
    EXPECT_EQ(gateway.Log().DroppedCount(), 1u);
    EXPECT_EQ(gateway.Log().EmptyFrameCount(), 1u);
    EXPECT_EQ(gateway.Log().Count(), 1u);
}

TEST_F(SimGateway, ServesTheCallLogBlockByBlock) {
    gateway.State().AddLogBlock({Record(65, 1), Record(65, 2)});
    gateway.State().AddLogBlock({});
    Bytes header = Ask(0x11, 0, 5);
    ASSERT_EQ(header.size(), 11u);
    EXPECT_EQ(Bytes(header.begin() + 6, header.begin() + 10), (Bytes{2, 0, 0, 0}));
    const Bytes first = Ask(0x10, 0, 65);
    EXPECT_EQ(Bytes(first.begin() + 6, first.end()), Record(65, 1));
    EXPECT_EQ(Ask(0x10, 1, 65).size(), 6u + 65);
    EXPECT_EQ(Ask(0x10, 2, 65)[0], 2);
    EXPECT_EQ(Ask(0x13, 0, 0)[0], 0);
    EXPECT_EQ(Ask(0x11, 0, 5)[6], 0) << "the second block is empty";
    EXPECT_EQ(Ask(0x13, 0, 0)[0], 0);
    EXPECT_NE(Ask(0x11, 0, 5)[0], 0) << "no block left";
}

TEST_F(SimGateway, KeepsFirmwareBlocksByAddressAndCountsTheEnd) {
    EXPECT_EQ(Ask(0x16, 3336, 0, Record(529, 5))[0], 0);
    EXPECT_EQ(Ask(0x16, 3337, 0, Record(529, 6))[0], 0);
    EXPECT_EQ(Ask(0x17, 0, 0, Bytes(9, 0))[0], 0);
    const auto blocks = gateway.State().FirmwareBlocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks.at(3337), Record(529, 6));
    EXPECT_EQ(gateway.State().FirmwareEnds(), 1);
    EXPECT_EQ(gateway.Log().Entries().front().requestLength, 0x11);
}

TEST_F(SimGateway, KeepsTheLastClockWritten) {
    const Bytes clock{0x09, 0x05, 0x0D, 0x01, 0x03, 0x18, 0x06, 0x3D, 0x00, 0x00};
    ASSERT_EQ(Ask(0x02, 0, 0, clock)[0], 0);
    Bytes back = Ask(0x03, 0, 10);
    ASSERT_EQ(back.size(), 16u);
    EXPECT_EQ(Bytes(back.begin() + 6, back.end() - 1), Bytes(clock.begin(), clock.end() - 1));
    EXPECT_EQ(gateway.State().ClockWrites(), 1);
}

TEST_F(SimGateway, FaultSwitchesShapeTheReply) {
    gateway.Faults().Add(*ParseFaultRule("badheader:cmd=07:index=1"));
    gateway.Faults().Add(*ParseFaultRule("badpayload:cmd=0B"));
    gateway.Faults().Add(*ParseFaultRule("status:cmd=05:index=0:status=7"));
    gateway.State().Put(RecordFamily::AbInfo, 1, Record(33, 1));
    gateway.State().Put(RecordFamily::AbPhone, 1, Record(38, 1));

    EXPECT_NE(Crc8(Ask(0x07, 1, 33).data(), 6), 0);
    Bytes phone = Ask(0x0B, 1, 38);
    EXPECT_EQ(Crc8(phone.data(), 6), 0);
    EXPECT_NE(Crc8(phone.data() + 6, phone.size() - 6), 0);
    Bytes refused = Ask(0x05, 0, 20);
    EXPECT_EQ(refused.size(), 6u);
    EXPECT_EQ(refused[0], 7);
}

TEST_F(SimGateway, SilenceAppliesToItsRangeAndCount) {
    gateway.Faults().Add(*ParseFaultRule("silent:cmd=07:from=150:to=299:count=1"));
    client->SendRequest(0x07, 150, 33);
    ASSERT_TRUE(gateway.Log().WaitForCount(1, kWait));
    EXPECT_EQ(Ask(0x07, 149, 33)[0], 2) << "the first reply answers the unsilenced request";
    EXPECT_EQ(Ask(0x07, 150, 33)[0], 2) << "count used up";
}

TEST_F(SimGateway, NoiseDamagesRepliesRepeatably) {
    auto noisyReply = [&](std::uint32_t seed) {
        gateway.Faults().Clear();
        gateway.Faults().SetSeed(seed);
        gateway.Faults().Add(*ParseFaultRule("noise:rate=0.3"));
        client->Discard();  // the rest of a frame cut short by a noise byte
        client->SendRequest(0x00, 0, 34);
        return client->ReadWireFrame(kWait).value_or(Bytes{});
    };
    const Bytes first = noisyReply(11);
    const Bytes again = noisyReply(11);
    gateway.Faults().Clear();
    client->Discard();
    client->SendRequest(0x00, 0, 34);
    const Bytes clean = client->ReadWireFrame(kWait).value_or(Bytes{});
    ASSERT_FALSE(clean.empty());
    EXPECT_NE(first, clean);
    EXPECT_EQ(first, again);
}

TEST_F(SimGateway, ServesClientsThatComeAndGo) {
    // Between clients nobody holds the slave side, not even the gateway.
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(Ask(0x00, 0, 34).size(), 40u);
        client.reset();
        client = std::make_unique<RawPtyClient>(gateway.DevicePath());
        ASSERT_TRUE(client->IsOpen());
    }
}

TEST_F(SimGateway, HangUpEndsTheClientsReadsPromptly) {
    gateway.Faults().Add(*ParseFaultRule("hangup:cmd=07:index=2"));
    client->SendRequest(0x07, 2, 33);
    EXPECT_TRUE(client->WaitForHangUp(kWait));
    EXPECT_TRUE(gateway.WaitForHangUp(kWait));
    gateway.Stop();
}

TEST_F(SimGateway, HangUpFromAnotherThreadClosesThePort) {
    ASSERT_EQ(Ask(0x00, 0, 34).size(), 40u);
    gateway.HangUp();
    EXPECT_TRUE(gateway.HungUp());
    EXPECT_TRUE(client->WaitForHangUp(kWait));
}

TEST_F(SimGateway, LogsEachRequestWithItsHeaderAndPayload) {
    const Bytes limit = Record(6, 0x21);
    ASSERT_EQ(Ask(0x15, 4, 0, limit)[0], 0);
    const auto entries = gateway.Log().Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].command, 0x15);
    EXPECT_EQ(entries[0].requestLength, 6);
    EXPECT_EQ(entries[0].replyLength, 0);
    EXPECT_EQ(entries[0].index, 4);
    EXPECT_EQ(entries[0].payload, limit);
}

TEST(SimRequestLog, KeepsRecentEntriesWithinItsLimitButCountsAll) {
    RequestLog log;
    log.SetKeepLimit(10);
    for (int i = 0; i < 25; ++i) {
        log.Add(LoggedRequest{0x07, 0, 33, static_cast<std::uint16_t>(i), {}, {}});
    }
    EXPECT_EQ(log.Count(), 25u);
    const auto kept = log.Entries();
    ASSERT_FALSE(kept.empty());
    EXPECT_LE(kept.size(), 10u);
    EXPECT_EQ(kept.back().index, 24);
    EXPECT_TRUE(log.WaitForCount(25, 0ms));
}

TEST_F(SimGateway, PacedReplyNeverArrivesBeforeItsWireTime) {
    // 1200 baud: the 8-byte request and the 8-byte reply frame take 160 bits,
    // 133 ms, plus 20 ms of latency.
    gateway.SetPacing({1200, std::chrono::milliseconds(20)});
    const auto start = std::chrono::steady_clock::now();
    client->Send({0x0A, 0x07, 0x00, 0x21, 0x05, 0x00, 0x2C, 0x0D});
    ASSERT_TRUE(client->ReadFrame(kWait));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 153ms);
    EXPECT_EQ(gateway.ModelledTime(), std::chrono::microseconds(133333 + 20000));
}

TEST_F(SimGateway, StopsPromptlyWhileAReplyIsDelayed) {
    gateway.Faults().Add(*ParseFaultRule("delay:ms=60000"));
    client->SendRequest(0x00, 0, 34);
    ASSERT_TRUE(gateway.Log().WaitForCount(1, kWait));
    const auto start = std::chrono::steady_clock::now();
    gateway.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_FALSE(gateway.Running());
}

TEST(SimPacing, ModelsTenBitsPerByteBothWaysPlusLatency) {
    const Pacing pacing{115200, std::chrono::microseconds(250)};
    // 8 request bytes and 28 reply bytes: 360 bits at 115200 baud = 3125 us.
    EXPECT_EQ(pacing.ExchangeTime(8, 28), std::chrono::microseconds(3125 + 250));
    EXPECT_EQ(Pacing{}.ExchangeTime(500, 500), std::chrono::microseconds(0));
}

TEST(SimDemoPopulation, SeedsRecordsCallLogAndBalance) {
    GatewayState state;
    DemoPopulation demo;
    demo.records.push_back({RecordFamily::AbInfo, 11, Bytes(33, 0x01)});
    demo.records.push_back({RecordFamily::Block, kBlockFXO, Bytes(20, 0x02)});
    demo.callLog = {{Bytes(65, 0x03)}, {Bytes(65, 0x04), Bytes(65, 0x05)}};
    demo.accountBalance = 1234;
    SeedDemoPopulation(state, demo);
    EXPECT_EQ(state.Get(RecordFamily::AbInfo, 11), Bytes(33, 0x01));
    EXPECT_EQ(state.Get(RecordFamily::Block, kBlockFXO), Bytes(20, 0x02));
    EXPECT_EQ(state.LogBlockCount(), 2u);
    const auto balance = state.Get(RecordFamily::Block, kBlockAccountBalance);
    ASSERT_TRUE(balance);
    EXPECT_EQ(Bytes(balance->begin(), balance->begin() + 4), (Bytes{0xD2, 0x04, 0, 0}));
}

TEST(SimGatewayState, RejectsRecordsOfTheWrongShape) {
    GatewayState state;
    EXPECT_THROW(state.Put(RecordFamily::AbInfo, 300, Bytes(33)), std::out_of_range);
    EXPECT_THROW(state.Put(RecordFamily::AbInfo, 0, Bytes(32)), std::invalid_argument);
    EXPECT_THROW(state.Put(RecordFamily::Block, 4, Bytes(20)), std::invalid_argument);
    state.Put(RecordFamily::Block, 4, Bytes(161));
    state.Erase(RecordFamily::Block, 4);
    EXPECT_TRUE(state.ReadsAsEmpty(RecordFamily::Block, 4));
}

}  // namespace
}  // namespace tulvo::sim
