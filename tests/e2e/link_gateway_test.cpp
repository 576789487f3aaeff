// TPortMost against the simulated gateway over a pseudo-terminal.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <numeric>
#include <vector>

#include "link/crc8.h"
#include "link/link_timing.h"
#include "link/port_most.h"
#include "model/t_data.h"
#include "sim/gateway.h"
#include "support/recording_operator.h"
#include "sync/image_transfer.h"
#include "sync/sync_population.h"
#include "sync/sys_info.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;
using sim::ParseFaultRule;
using sim::RecordFamily;
using Bytes = std::vector<std::uint8_t>;
using Ms = std::chrono::milliseconds;

Bytes Sealed(std::size_t size, std::uint8_t seed) {
    Bytes record(size);
    std::iota(record.begin(), record.end(), seed);
    record[0] &= 0x7F;  // not flagged as empty
    record.back() = Crc8(record.data(), size - 1);
    return record;
}

class LinkAgainstGateway : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        ASSERT_TRUE(port.Open(gateway.DevicePath())) << port.LastOpenError();
    }

    void AddFault(const std::string& rule) { gateway.Faults().Add(*ParseFaultRule(rule)); }

    sim::Gateway gateway;
    TPortMost port{LinkTiming::Fast()};
    std::array<std::uint8_t, TPortMost::kMaxPayload> data{};
    std::uint8_t status = 0xEE;
};

// A write operation, the read operation that fetches it back, and the size.
struct RoundTrip {
    const char* name;
    std::size_t size;
    std::function<bool(TPortMost&, std::span<std::uint8_t>, std::uint8_t&)> write, read;
};

TEST_F(LinkAgainstGateway, EveryRecordWrittenReadsBackUnchanged) {
    using P = TPortMost;
    auto fixed = [](bool (P::*op)(std::span<std::uint8_t>, std::uint8_t&)) {
        return [op](P& p, std::span<std::uint8_t> d, std::uint8_t& s) { return (p.*op)(d, s); };
    };
    auto numbered = [](bool (P::*op)(int, std::span<std::uint8_t>, std::uint8_t&), int n) {
        return
            [op, n](P& p, std::span<std::uint8_t> d, std::uint8_t& s) { return (p.*op)(n, d, s); };
    };
    const std::vector<RoundTrip> trips = {
        {"FXO", 20, fixed(&P::WriteSettingFXO), fixed(&P::ReadSettingFXO)},
        {"FXS", 20, fixed(&P::WriteSettingFXS), fixed(&P::ReadSettingFXS)},
        {"MOB", 52, fixed(&P::WriteSettingMOB), fixed(&P::ReadSettingMOB)},
        {"PASSWORD", 9, fixed(&P::WriteSettingPASSWORD), fixed(&P::ReadSettingPASSWORD)},
        {"Alarm", 161, fixed(&P::WriteSettingAlarm), fixed(&P::ReadSettingAlarm)},
        {"ControlAccount", 36, fixed(&P::WriteControlAccount), fixed(&P::ReadControlAccount)},
        {"TotalLimit", 10, fixed(&P::WriteTotalLimit), fixed(&P::ReadTotalLimit)},
        {"DevName", 10, fixed(&P::WriteDevName), fixed(&P::ReadDevName)},
        {"Clock", 10, fixed(&P::WriteClock), fixed(&P::ReadClock)},
        {"AbInfo 1", 33, numbered(&P::WriteAbInfo, 1), numbered(&P::ReadAbInfo, 1)},
        {"AbInfo 300", 33, numbered(&P::WriteAbInfo, 300), numbered(&P::ReadAbInfo, 300)},
        {"AbPhone 7", 38, numbered(&P::WriteAbPhone, 7), numbered(&P::ReadAbPhone, 7)},
        {"AbLimit 300", 6, numbered(&P::WriteAbLimit, 300), numbered(&P::ReadAbLimit, 300)},
        {"BlackList 186", 22, numbered(&P::WriteBlackListEntry, 186),
         numbered(&P::ReadBlackListEntry, 186)},
        {"SMS 0", 162, numbered(&P::WriteSMSMessage, 0), numbered(&P::ReadSMSMessage, 0)},
        {"SMS 9", 162, numbered(&P::WriteSMSMessage, 9), numbered(&P::ReadSMSMessage, 9)},
    };
    std::uint8_t seed = 1;
    for (const auto& trip : trips) {
        const Bytes record = Sealed(trip.size, seed++);
        std::copy(record.begin(), record.end(), data.begin());
        ASSERT_TRUE(trip.write(port, data, status)) << trip.name;
        EXPECT_EQ(status, 0) << trip.name;
        data.fill(0);
        ASSERT_TRUE(trip.read(port, data, status)) << trip.name;
        EXPECT_EQ(status, 0) << trip.name;
        EXPECT_EQ(Bytes(data.begin(), data.begin() + trip.size), record) << trip.name;
    }
}

TEST_F(LinkAgainstGateway, SingleValueCommandsReachTheGateway) {
    gateway.State().SetAccountBalance(-50);
    EXPECT_EQ(port.ReadAccountBalance(data, status), -5000);
    EXPECT_EQ(status, 0);

    const Bytes pin{'1', '2', '3', '4', 0, 0};
    std::copy(pin.begin(), pin.end(), data.begin());
    ASSERT_TRUE(port.WritePinCode(data, status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(gateway.State().Get(RecordFamily::Block, 7)->at(3), '4');

    gateway.State().SetSysInfo({"FW 3.1", "490154203237518", 40, 0x0315, true});
    ASSERT_TRUE(port.ReadSysInfo(data, status));
    const SysInfo info = SysInfo::Parse(std::span(data).first(SysInfo::kSize));
    EXPECT_EQ(info.firmware, "FW 3.1");
    EXPECT_EQ(info.imei, "490154203237518");
    EXPECT_EQ(info.signal, 0) << "levels above 31 read as 0";
    EXPECT_EQ(info.BootloaderText(), "03.15");

    gateway.State().SetSysInfo({"FW", "1", 5, 0x0200, false});
    ASSERT_TRUE(port.SendExit(data, status)) << "the exit text is ignored";
    EXPECT_EQ(SysInfo::Parse(std::span(data).first(SysInfo::kSize)).BootloaderText(), "NA");
}

TEST_F(LinkAgainstGateway, CommandsThatAreNeverIssuedAreStillAnswered) {
    using P = TPortMost;
    const std::vector<std::function<bool()>> calls = {
        [&] { return port.SendCode08(3, data, status); },
        [&] { return port.SendCode09(data, status); },
        [&] { return port.SendCode0A(4, data, status); },
        [&] { return port.SendCode0E(data, status); },
        [&] { return port.SendCodeF0(data, status); },
        [&] { return port.SendCode01(data, status); },
        [&] { return port.SendCode0F(data, status); },
        [&] { return port.SendCode12(data, status); },
    };
    (void)sizeof(P);
    for (std::size_t i = 0; i < calls.size(); ++i) {
        status = 0xEE;
        EXPECT_TRUE(calls[i]()) << "call " << i;
        EXPECT_EQ(status, 0) << "call " << i;
    }
    EXPECT_FALSE(gateway.State().Get(RecordFamily::AbPhone, 4))
        << "0A without payload stores nothing";
}

TEST_F(LinkAgainstGateway, FreshGatewayAnswersEveryValueReadWithItsWholeRecord) {
    using P = TPortMost;
    struct SizedRead {
        const char* name;
        bool (P::*read)(std::span<std::uint8_t>, std::uint8_t&);
        std::size_t size;
    };
    const SizedRead reads[] = {
        {"FXO", &P::ReadSettingFXO, 20},        {"FXS", &P::ReadSettingFXS, 20},
        {"MOB", &P::ReadSettingMOB, 52},        {"PASSWORD", &P::ReadSettingPASSWORD, 9},
        {"Alarm", &P::ReadSettingAlarm, 161},   {"ControlAccount", &P::ReadControlAccount, 36},
        {"TotalLimit", &P::ReadTotalLimit, 10}, {"DevName", &P::ReadDevName, 10},
        {"Clock", &P::ReadClock, 10},           {"SysInfo", &P::ReadSysInfo, 34},
    };
    for (const auto& r : reads) {
        status = 0xEE;
        ASSERT_TRUE((port.*r.read)(data, status)) << r.name;
        EXPECT_EQ(status, 0) << r.name;
        EXPECT_EQ(port.LastReplyLength(), r.size) << r.name;
        EXPECT_EQ(Crc8(data.data(), r.size), 0) << r.name;
    }
    gateway.State().SetAccountBalance(1234);
    EXPECT_EQ(port.ReadAccountBalance(data, status), 123400);
    EXPECT_EQ(port.LastReplyLength(), 5u);
    gateway.State().AddLogBlock({Sealed(65, 1)});
    ASSERT_TRUE(port.ReadLogHeader(data, status));
    EXPECT_EQ(port.LastReplyLength(), 5u);
    EXPECT_EQ(data[0], 1);
}

TEST_F(LinkAgainstGateway, EmptyEntriesAnswerStatusTwoAndLeaveTheBufferAlone) {
    const Bytes empty = Sealed(33, 0x80);
    std::copy(empty.begin(), empty.end(), data.begin());
    data[0] = 0x80;
    data[32] = Crc8(data.data(), 32);
    ASSERT_TRUE(port.WriteAbInfo(2, data, status));
    ASSERT_TRUE(port.ClearBlackListEntry(5, {}, status));

    const std::vector<std::pair<const char*, std::function<bool()>>> reads = {
        {"never written subscriber", [&] { return port.ReadAbInfo(1, data, status); }},
        {"flagged subscriber", [&] { return port.ReadAbInfo(2, data, status); }},
        {"phone", [&] { return port.ReadAbPhone(1, data, status); }},
        {"limit", [&] { return port.ReadAbLimit(1, data, status); }},
        {"cleared list entry", [&] { return port.ReadBlackListEntry(5, data, status); }},
        {"list entry", [&] { return port.ReadBlackListEntry(1, data, status); }},
        {"SMS", [&] { return port.ReadSMSMessage(3, data, status); }},
    };
    for (const auto& [name, read] : reads) {
        data.fill(0x5A);
        status = 0xEE;
        ASSERT_TRUE(read()) << name;
        EXPECT_EQ(status, 2) << name;
        EXPECT_EQ(data[0], 0x5A) << name;
    }
}

TEST_F(LinkAgainstGateway, CallLogIsReadBlockByBlockAndErased) {
    gateway.State().AddLogBlock({Sealed(65, 1), Sealed(65, 2), Sealed(65, 3)});
    gateway.State().AddLogBlock({Sealed(65, 4)});
    std::vector<Bytes> read;
    while (port.ReadLogHeader(data, status) && status == 0) {
        const int count = data[0] | (data[1] << 8);
        for (int k = 0; k < count; ++k) {
            ASSERT_TRUE(port.ReadLogRecord(data, status));
            ASSERT_EQ(status, 0);
            read.emplace_back(data.begin(), data.begin() + 65);
        }
        ASSERT_TRUE(port.EraseLogBlock(data, status));
    }
    EXPECT_NE(status, 0);
    ASSERT_EQ(read.size(), 4u);
    EXPECT_EQ(read[2], Sealed(65, 3));
    EXPECT_EQ(read[3], Sealed(65, 4));
    EXPECT_EQ(gateway.State().LogBlockCount(), 0u);
}

TEST_F(LinkAgainstGateway, FirmwareBlocksArriveWhole) {
    for (std::uint16_t address = 3336; address < 3339; ++address) {
        const Bytes block = Sealed(529, static_cast<std::uint8_t>(address));
        std::copy(block.begin(), block.end(), data.begin());
        ASSERT_TRUE(port.WriteFirmwareBlock(address, data, status));
        EXPECT_EQ(status, 0);
    }
    ASSERT_TRUE(port.EndFirmwareUpdate(data, status));
    const auto blocks = gateway.State().FirmwareBlocks();
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks.at(3337), Sealed(529, static_cast<std::uint8_t>(3337)));
    EXPECT_EQ(gateway.State().FirmwareEnds(), 1);
}

TEST_F(LinkAgainstGateway, SilenceUsesEveryAttemptThenFails) {
    AddFault("silent:cmd=07");
    EXPECT_FALSE(port.ReadAbInfo(1, data, status));
    EXPECT_EQ(gateway.Log().CountOf(0x07), 5u);
    EXPECT_EQ(gateway.Log().EmptyFrameCount(), 0u) << "no resync after a missing reply";
    AddFault("silent:cmd=00");
    EXPECT_FALSE(port.ReadSysInfo(data, status));
    EXPECT_EQ(gateway.Log().CountOf(0x00), 1u) << "one attempt only";
}

TEST_F(LinkAgainstGateway, ChecksumFaultsAreRetriedAfterAnEmptyFrame) {
    struct Case {
        const char* rule;
        bool done;
        std::size_t requests;
    };
    const Case cases[] = {
        {"badheader:cmd=05:count=1", true, 2},
        {"badpayload:cmd=05:count=2", true, 3},
        {"badheader:cmd=05", false, 5},
    };
    for (const auto& c : cases) {
        gateway.Faults().Clear();
        gateway.Log().Clear();
        AddFault(c.rule);
        EXPECT_EQ(port.ReadSettingFXO(data, status), c.done) << c.rule;
        EXPECT_EQ(gateway.Log().Count(), c.requests) << c.rule;
    }
    // Resynchronising frames sent before a retry may be purged along with the
    // retry; the one after the last attempt always arrives.
    EXPECT_TRUE(gateway.Log().WaitForEmptyFrames(1, 2s));
}

TEST_F(LinkAgainstGateway, AChosenStatusIsAWellFormedReply) {
    AddFault("status:cmd=07:index=0:status=3");
    ASSERT_TRUE(port.ReadAbInfo(1, data, status));
    EXPECT_EQ(status, 3);
    EXPECT_EQ(gateway.Log().Count(), 1u);
}

TEST_F(LinkAgainstGateway, DelayLongerThanTheTimeOutLooksLikeSilence) {
    AddFault("delay:cmd=0B:ms=200:count=1");
    gateway.State().Put(RecordFamily::AbPhone, 0, Sealed(38, 9));
    // The delayed reply misses its attempt, so the link asks again. On a busy
    // machine the late reply may still be the one that answers the retry (it
    // carries the same record), and the retry is logged only once the gateway
    // gets to it: wait for it rather than count at once.
    ASSERT_TRUE(port.ReadAbPhone(1, data, status));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(gateway.Log().WaitForCount(2, 2s));
    EXPECT_EQ(gateway.Log().CountOf(0x0B), gateway.Log().Count());
}

TEST_F(LinkAgainstGateway, NoisyLineEitherDeliversTheRecordOrFailsCleanly) {
    const Bytes record = Sealed(33, 3);
    gateway.State().Put(RecordFamily::AbInfo, 0, record);
    gateway.Faults().SetSeed(1234);
    AddFault("noise:rate=0.02");
    int delivered = 0;
    for (int i = 0; i < 30; ++i) {
        data.fill(0);
        if (port.ReadAbInfo(1, data, status)) {
            ASSERT_EQ(status, 0);
            ASSERT_EQ(Bytes(data.begin(), data.begin() + 33), record) << "transaction " << i;
            ++delivered;
        }
    }
    EXPECT_GT(delivered, 20);
    EXPECT_GT(gateway.Log().Count(), 30u) << "some replies were damaged and retried";
}

TEST_F(LinkAgainstGateway, HangUpMidTransferEndsQuickly) {
    // A long read time-out: had the hang-up gone unnoticed, each attempt would wait it out.
    LinkTiming timing = LinkTiming::Fast();
    timing.readTimeout = 1000ms;
    port.SetTiming(timing);
    AddFault("hangup:cmd=07:index=149");
    const auto start = std::chrono::steady_clock::now();
    int n = 1;
    while (n <= 300 && port.ReadAbInfo(n, data, status)) {
        ++n;
    }
    EXPECT_EQ(n, 150);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
    port.Close();
    EXPECT_FALSE(port.Open(gateway.DevicePath())) << "the device is gone";
}

// A reply that comes after its attempt has given up must never be taken for
// the answer to a later request. Slot 5 is empty, so the next request is slot
// 6's read of the same size: a late "empty" answer for slot 5 would blank it.
TEST(LateReplies, AreNeverCreditedToAnotherSlot) {
    using Pop = test::SyncPopulation;
    using Slot = std::array<Bytes, 3>;
    const LinkTiming timing = LinkTiming::Fast(100);
    // Past the attempt's wait and the plain no-reply pause after it.
    const auto delay = 2 * timing.readTimeout + timing.noReplyPause + 15ms;
    struct Case {
        const char* name;
        int command, index, count;  // delayed replies, -1 = every one
    };
    const Case cases[] = {
        {"reference, no delay", 0x07, 0, 0},
        {"every read of empty slot 5", 0x07, 4, -1},
        {"first read of empty slot 5", 0x07, 4, 1},
        {"every phone read of slot 7", 0x0B, 6, -1},
    };
    std::vector<Slot> gatewaySlots, oldSlots;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Gateway gateway;
        ASSERT_TRUE(gateway.Start()) << gateway.Error();
        for (int n = 1; n <= 12; ++n) {
            if (n != 5) {
                gateway.State().Put(RecordFamily::AbInfo, n - 1, Pop::AbInfo(n));
                gateway.State().Put(RecordFamily::AbPhone, n - 1, Pop::AbPhone(n));
                gateway.State().Put(RecordFamily::AbLimit, n - 1, Pop::AbLimit(n));
            }
        }
        gateway.Faults().Add({.kind = sim::FaultRule::Kind::Delay,
                              .command = c.command,
                              .fromIndex = c.index,
                              .toIndex = c.index,
                              .count = c.count,
                              .delay = std::chrono::duration_cast<Ms>(delay)});
        TPortMost port{timing};
        ASSERT_TRUE(port.Open(gateway.DevicePath())) << port.LastOpenError();
        auto image = std::make_unique<TData>();
        std::vector<Slot> slots;
        auto take = [&] {
            slots.clear();
            for (int n = 1; n <= TData::kSubscribers; ++n) {
                slots.push_back({Pop::BytesOf(image->AbInfo(n)), Pop::BytesOf(image->AbPhone(n)),
                                 Pop::BytesOf(image->AbLimit(n))});
            }
            return slots;
        };
        for (int n = 1; n <= TData::kSubscribers; ++n) {
            image->AbInfo(n).SetID(0xAAAA0000u + static_cast<std::uint32_t>(n));
        }
        oldSlots = take();
        test::RecordingOperator op;
        TransferProgress progress;
        const bool done = ImageTransfer(*image, port, op, progress).ReadSubscribers();
        take();
        if (gatewaySlots.empty()) {
            ASSERT_TRUE(done);
            gatewaySlots = slots;
        }
        EXPECT_EQ(op.Texts(), done ? std::vector<std::string>{}
                                   : std::vector<std::string>{"Ошибка связи с устройством!"});
        // Each record is the gateway's own for the slot, or (after a failure) the old one.
        for (std::size_t i = 0; i < slots.size(); ++i) {
            for (std::size_t r = 0; r < 3; ++r) {
                ASSERT_TRUE(slots[i][r] == gatewaySlots[i][r] ||
                            (!done && slots[i][r] == oldSlots[i][r]))
                    << "slot " << i + 1 << " record " << r;
            }
        }
    }
}

}  // namespace
}  // namespace tulvo
