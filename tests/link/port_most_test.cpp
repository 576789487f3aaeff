#include "link/port_most.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "link/crc8.h"
#include "link/frame_codec.h"
#include "link_test_util.h"
#include "support/pty_peer.h"

namespace tulvo {
namespace {

using namespace std::chrono_literals;
using test::FrameBody;
using test::Hex;
using test::PtyPeer;
using test::ReplyFrame;
using Bytes = std::vector<std::uint8_t>;
using Ms = std::chrono::milliseconds;

LinkTiming Timing(Ms readTimeout, Ms noReply = 5ms, Ms beforeResync = 5ms, Ms afterResync = 5ms) {
    LinkTiming t;
    t.readTimeout = readTimeout;
    t.noReplyPause = noReply;
    t.beforeResyncPause = beforeResync;
    t.afterResyncPause = afterResync;
    t.exitPause = 5ms;
    return t;
}

class PortMostTest : public ::testing::Test {
  protected:
    // A generous time-out where the peer answers (it costs nothing then) and a
    // short one where it stays silent.
    void Connect(LinkTiming timing = Timing(500ms)) {
        port = std::make_unique<TPortMost>(timing);
        ASSERT_TRUE(port->Open(peer.DevicePath())) << port->LastOpenError();
    }
    void AnswerEvery(Bytes reply) {
        peer.SetResponder([reply](const PtyPeer::Frame&, std::size_t) { return reply; });
    }
    std::vector<Bytes> Wires() {
        std::vector<Bytes> out;
        for (const auto& f : peer.Frames()) {
            out.push_back(f.wire);
        }
        return out;
    }
    // Frames seen once a finished call's last frame has surely arrived.
    std::vector<Bytes> WiresAfter(std::size_t atLeast) {
        peer.WaitForFrames(atLeast);
        return Wires();
    }

    PtyPeer peer;
    std::unique_ptr<TPortMost> port;
    std::uint8_t status = 0xAA;
};

using Call = std::function<bool(TPortMost&, std::span<std::uint8_t>, std::uint8_t&)>;

struct RequestCase {
    const char* name;
    Call call;
    Bytes wire;
};

TEST_F(PortMostTest, RequestsGoOutAsTheirWorkedFrames) {
    Connect();
    AnswerEvery(ReplyFrame(2));  // completes without a payload
    const RequestCase cases[] = {
        {"ReadSettingFXO", [](auto& p, auto d, auto& s) { return p.ReadSettingFXO(d, s); },
         Hex("0A 05 00 14 00 00 6C 0D")},
        {"ReadDevName", [](auto& p, auto d, auto& s) { return p.ReadDevName(d, s); },
         Hex("0A 05 00 0C F5 06 00 0C F3 0D")},
        {"ReadSysInfo", [](auto& p, auto d, auto& s) { return p.ReadSysInfo(d, s); },
         Hex("0A 00 00 22 00 00 B4 0D")},
        {"ReadTotalLimit", [](auto& p, auto d, auto& s) { return p.ReadTotalLimit(d, s); },
         Hex("0A 05 00 0C F5 05 00 CC 0D")},
        {"ReadSMSMessage 9", [](auto& p, auto d, auto& s) { return p.ReadSMSMessage(9, d, s); },
         Hex("0A 19 00 A2 09 00 18 0D")},
        {"ReadLogRecord",
         [](auto& p, auto d, auto& s) {
             p.LogSequence = 0;
             return p.ReadLogRecord(d, s);
         },
         Hex("0A 10 00 0C BE 00 00 A4 0D")},
        // A request without payload is its six header bytes.
        {"EraseLogBlock", [](auto& p, auto d, auto& s) { return p.EraseLogBlock(d, s); },
         Hex("0A 13 00 00 00 00 70 0D")},
        // A single payload byte goes unchanged, with no checksum put in its place.
        {"length 1",
         [](auto& p, auto d, auto& s) {
             d[0] = 0x55;
             return p.Transact(d, s, 0x01, 1, 0, 0, 5);
         },
         Hex("0A 01 01 00 00 00 A0 55 0D")},
        {"WriteAbInfo 1",
         [](auto& p, auto d, auto& s) {
             std::fill(d.begin(), d.begin() + 33, 0x01);
             d[32] = 0x99;  // replaced by the checksum of the 32 before it
             return p.WriteAbInfo(1, d, s);
         },
         test::Concat(Hex("0A 06 21 00 00 00 44"),
                      test::Concat(test::Repeat(0x01, 32), Hex("CC 0D")))},
        {"ClearBlackListEntry 5",
         [](auto& p, auto, auto& s) { return p.ClearBlackListEntry(5, {}, s); },
         test::Concat(Hex("0A 0C F3 16 00 04 00 D8 FF"),
                      test::Concat(test::Repeat(0, 20), Hex("44 0D")))},
    };
    std::size_t sent = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data(600, 0);
        EXPECT_TRUE(c.call(*port, data, status));
        ASSERT_TRUE(peer.WaitForFrames(++sent));
        EXPECT_EQ(Wires().back(), c.wire);
    }
}

struct HeaderCase {
    const char* name;
    Call call;
    std::uint8_t code;
    int requestLength;  // payload bytes that follow the header
    int replyLength;
    std::uint16_t index;
};

TEST_F(PortMostTest, EveryCommandCarriesItsCodeSizesAndIndex) {
    Connect();
    AnswerEvery(ReplyFrame(2));  // completes without a payload
    using P = TPortMost;
    auto fixed = [](bool (P::*op)(std::span<std::uint8_t>, std::uint8_t&)) -> Call {
        return [op](P& p, std::span<std::uint8_t> d, std::uint8_t& s) { return (p.*op)(d, s); };
    };
    auto numbered = [](bool (P::*op)(int, std::span<std::uint8_t>, std::uint8_t&), int n) -> Call {
        return
            [op, n](P& p, std::span<std::uint8_t> d, std::uint8_t& s) { return (p.*op)(n, d, s); };
    };
    const HeaderCase cases[] = {
        {"WriteSettingFXO", fixed(&P::WriteSettingFXO), 0x04, 20, 0, 0},
        {"ReadSettingFXO", fixed(&P::ReadSettingFXO), 0x05, 0, 20, 0},
        {"WriteSettingFXS", fixed(&P::WriteSettingFXS), 0x04, 20, 0, 1},
        {"ReadSettingFXS", fixed(&P::ReadSettingFXS), 0x05, 0, 20, 1},
        {"WriteSettingPASSWORD", fixed(&P::WriteSettingPASSWORD), 0x04, 9, 0, 3},
        {"ReadSettingPASSWORD", fixed(&P::ReadSettingPASSWORD), 0x05, 0, 9, 3},
        {"WriteSettingMOB", fixed(&P::WriteSettingMOB), 0x04, 52, 0, 2},
        {"ReadSettingMOB", fixed(&P::ReadSettingMOB), 0x05, 0, 52, 2},
        {"ReadControlAccount", fixed(&P::ReadControlAccount), 0x05, 0, 36, 8},
        {"WriteControlAccount", fixed(&P::WriteControlAccount), 0x04, 36, 0, 8},
        {"WriteSettingAlarm", fixed(&P::WriteSettingAlarm), 0x04, 161, 0, 4},
        {"ReadSettingAlarm", fixed(&P::ReadSettingAlarm), 0x05, 0, 161, 4},
        {"WriteAbInfo 300", numbered(&P::WriteAbInfo, 300), 0x06, 33, 0, 299},
        {"ReadAbInfo 2", numbered(&P::ReadAbInfo, 2), 0x07, 0, 33, 1},
        {"SendCode08", [](P& p, auto d, auto& s) { return p.SendCode08(0x1234, d, s); }, 0x08, 0, 0,
         0x1234},
        {"SendCode09", fixed(&P::SendCode09), 0x09, 0, 0, 0},
        {"WriteAbPhone 3", numbered(&P::WriteAbPhone, 3), 0x0A, 38, 0, 2},
        {"ReadAbPhone 300", numbered(&P::ReadAbPhone, 300), 0x0B, 0, 38, 299},
        {"SendCode0A", [](P& p, auto d, auto& s) { return p.SendCode0A(7, d, s); }, 0x0A, 0, 0, 7},
        {"WriteBlackListEntry 186", numbered(&P::WriteBlackListEntry, 186), 0x0C, 22, 0, 185},
        {"ReadBlackListEntry 1", numbered(&P::ReadBlackListEntry, 1), 0x0D, 0, 22, 0},
        {"ClearBlackListEntry 2", numbered(&P::ClearBlackListEntry, 2), 0x0C, 22, 0, 1},
        {"SendCode0E", fixed(&P::SendCode0E), 0x0E, 0, 0, 0},
        {"WriteClock", fixed(&P::WriteClock), 0x02, 10, 0, 0},
        {"ReadClock", fixed(&P::ReadClock), 0x03, 0, 10, 0},
        {"ReadSysInfo", fixed(&P::ReadSysInfo), 0x00, 0, 34, 0},
        {"SendCodeF0", fixed(&P::SendCodeF0), 0xF0, 0, 0, 0},
        {"SendCode01", fixed(&P::SendCode01), 0x01, 0, 0, 0},
        {"SendCode0F", fixed(&P::SendCode0F), 0x0F, 65, 0, 0},
        {"SendCode12", fixed(&P::SendCode12), 0x12, 0, 0, 0},
        {"ReadLogHeader", fixed(&P::ReadLogHeader), 0x11, 0, 5, 0},
        {"ReadLogRecord", fixed(&P::ReadLogRecord), 0x10, 0, 65, 0},
        {"EraseLogBlock", fixed(&P::EraseLogBlock), 0x13, 0, 0, 0},
        {"ReadAbLimit 300", numbered(&P::ReadAbLimit, 300), 0x14, 0, 6, 299},
        {"WriteAbLimit 1", numbered(&P::WriteAbLimit, 1), 0x15, 6, 0, 0},
        {"WriteSMSMessage 9", numbered(&P::WriteSMSMessage, 9), 0x18, 162, 0, 9},
        {"ReadSMSMessage 0", numbered(&P::ReadSMSMessage, 0), 0x19, 0, 162, 0},
        {"ReadTotalLimit", fixed(&P::ReadTotalLimit), 0x05, 0, 10, 5},
        {"WriteTotalLimit", fixed(&P::WriteTotalLimit), 0x04, 10, 0, 5},
        {"ReadDevName", fixed(&P::ReadDevName), 0x05, 0, 10, 6},
        {"WriteDevName", fixed(&P::WriteDevName), 0x04, 10, 0, 6},
        {"WritePinCode", fixed(&P::WritePinCode), 0x04, 6, 0, 7},
        {"ReadAccountBalance",
         [](P& p, auto d, auto& s) {
             p.ReadAccountBalance(d, s);
             return true;
         },
         0x05, 0, 5, 9},
        {"WriteFirmwareBlock",
         [](P& p, auto d, auto& s) { return p.WriteFirmwareBlock(3336, d, s); }, 0x16, 529, 0,
         3336},
        {"EndFirmwareUpdate", fixed(&P::EndFirmwareUpdate), 0x17, 9, 0, 0},
    };
    std::size_t sent = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data(600, 0);
        EXPECT_TRUE(c.call(*port, data, status));
        ASSERT_TRUE(peer.WaitForFrames(++sent));
        const Bytes body = FrameBody(Wires().back());
        ASSERT_GE(body.size(), 6u);
        EXPECT_EQ(body[0], c.code);
        EXPECT_EQ(body[1], c.requestLength & 0xFF);
        EXPECT_EQ(body[2], c.replyLength & 0xFF);
        EXPECT_EQ(body[3] | (body[4] << 8), c.index);
        EXPECT_EQ(body.size() - 6, static_cast<std::size_t>(c.requestLength));
        EXPECT_EQ(Crc8(body.data(), 6), 0);
    }
}

TEST_F(PortMostTest, FirmwareBlockAnnouncesLowLengthByteAndSendsWholePayload) {
    Connect();
    AnswerEvery(ReplyFrame(2));  // completes without a payload
    Bytes block(529);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i);
    }
    EXPECT_TRUE(port->WriteFirmwareBlock(3336, block, status));
    const Bytes wire = WiresAfter(1).at(0);
    const Bytes header = Hex("0A 16 11 00 08 0C F2 EC");
    ASSERT_GT(wire.size(), header.size());
    EXPECT_TRUE(std::equal(header.begin(), header.end(), wire.begin()));
    const Bytes body = FrameBody(wire);
    ASSERT_EQ(body.size(), 6u + 529u);
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 528, body.begin() + 6));
    EXPECT_EQ(Crc8(body.data() + 6, 529), 0);
}

struct ReplyCase {
    const char* name;
    std::optional<Bytes> reply;
    bool ok;
    std::uint8_t status;  // expected status afterwards
    std::size_t copied;   // payload bytes expected in data
};

Bytes Payload20() {
    Bytes p(20);
    for (std::size_t i = 0; i < p.size(); ++i) {
        p[i] = static_cast<std::uint8_t>(0x30 + i);
    }
    p.back() = Crc8(p.data(), 19);
    return p;
}

TEST_F(PortMostTest, RepliesAreAcceptedOnlyWhenWellFormed) {
    Connect(Timing(300ms));
    Bytes good = Payload20();
    Bytes longer = Hex("00 00 00 00 00");
    longer.push_back(Crc8(longer.data(), 5));
    longer = test::Concat(test::Concat(longer, good), Hex("77 77 77 77"));
    const ReplyCase cases[] = {
        {"silence", std::nullopt, false, 0xAA, 0},
        {"five bytes", Hex("0A 00 00 00 00 00 0D"), false, 0xAA, 0},
        {"header checksum", ReplyFrame(0, good, true), false, 0xAA, 0},
        {"payload checksum", ReplyFrame(0x00, good, false, true), false, 0x00, 0},
        // A done reply must carry the whole record; a short one is a failed attempt.
        {"header only", ReplyFrame(0), false, 0x00, 0},
        {"one byte", ReplyFrame(0, Hex("5A")), false, 0x00, 0},
        {"status 2", ReplyFrame(2), true, 0x02, 0},
        // Another status completes the transaction, but a part record never lands.
        {"status 2 with one byte", ReplyFrame(2, Hex("5A")), true, 0x02, 0},
        {"whole payload", ReplyFrame(0, good), true, 0x00, 20},
        {"longer than announced", EncodeFrame(longer), false, 0xAA, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        peer.SetResponder([&c](const PtyPeer::Frame&, std::size_t) { return c.reply; });
        Bytes data(32, 0xEE);
        status = 0xAA;
        EXPECT_EQ(port->Transact(data, status, 0x05, 0, 20, 0, 1), c.ok);
        EXPECT_EQ(status, c.status);
        const Bytes expected = c.copied == 20 ? good : Bytes{};
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data.begin()));
        EXPECT_TRUE(std::all_of(data.begin() + c.copied, data.end(),
                                [](std::uint8_t b) { return b == 0xEE; }));
    }
}

TEST_F(PortMostTest, MissingReplyIsRetriedAfterThePauseWithoutResync) {
    Connect(Timing(50ms, 150ms, 100ms, 200ms));
    peer.SetResponder([](const PtyPeer::Frame&, std::size_t n) -> std::optional<Bytes> {
        if (n == 0) {
            return std::nullopt;
        }
        return ReplyFrame(0);
    });
    std::vector<Ms> pauses;
    port->SetPauseObserver([&pauses](Ms pause) { pauses.push_back(pause); });
    EXPECT_TRUE(port->SendCode09({}, status));
    EXPECT_EQ(pauses, std::vector<Ms>{150ms});
    const auto frames = peer.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].wire, frames[1].wire);
    // Twice the 50 ms time-out, then the 150 ms pause.
    EXPECT_GE(frames[1].at - frames[0].at, 220ms);
    EXPECT_LT(frames[1].at - frames[0].at, 3s);
}

TEST_F(PortMostTest, ChecksumMismatchIsAnsweredByEmptyFrameBetweenPauses) {
    Connect(Timing(300ms, 1000ms, 100ms, 200ms));
    const Bytes payload = Payload20();
    peer.SetResponder([&](const PtyPeer::Frame& f, std::size_t n) -> std::optional<Bytes> {
        if (f.wire == Hex("0A 0D")) {
            return std::nullopt;
        }
        if (n == 0) {
            return ReplyFrame(0, payload, true);  // header checksum spoilt
        }
        if (n == 2) {
            return ReplyFrame(3, payload, false, true);  // payload checksum spoilt
        }
        return ReplyFrame(0, payload);
    });
    std::vector<Ms> pauses;
    port->SetPauseObserver([&pauses](Ms pause) { pauses.push_back(pause); });
    Bytes data(20, 0);
    EXPECT_TRUE(port->ReadSettingFXO(data, status));
    EXPECT_EQ(data, payload);
    EXPECT_EQ(pauses, (std::vector<Ms>{100ms, 200ms, 100ms, 200ms}));
    const auto frames = peer.Frames();
    ASSERT_EQ(frames.size(), 5u);
    const Bytes request = Hex("0A 05 00 14 00 00 6C 0D");
    for (std::size_t i : {0u, 2u, 4u}) {
        EXPECT_EQ(frames[i].wire, request) << i;
    }
    for (std::size_t i : {1u, 3u}) {
        EXPECT_EQ(frames[i].wire, Hex("0A 0D")) << i;
        // Arrival times carry the peer thread's wake-up jitter; the pauses
        // themselves are checked exactly through the observer above.
        EXPECT_GE(frames[i].at - frames[i - 1].at, 50ms);
        EXPECT_GE(frames[i + 1].at - frames[i].at, 100ms);
        // Far below the 1000 ms a missing reply would have cost.
        EXPECT_LT(frames[i + 1].at - frames[i - 1].at, 900ms);
    }
}

struct AttemptCase {
    const char* name;
    Call call;
    std::size_t attempts;
};

TEST_F(PortMostTest, EachCommandGivesUpAfterItsAttempts) {
    Connect(Timing(5ms, 2ms));
    const AttemptCase cases[] = {
        {"ReadSettingFXO", [](auto& p, auto d, auto& s) { return p.ReadSettingFXO(d, s); }, 5},
        {"ReadAbInfo", [](auto& p, auto d, auto& s) { return p.ReadAbInfo(7, d, s); }, 5},
        {"ReadTotalLimit", [](auto& p, auto d, auto& s) { return p.ReadTotalLimit(d, s); }, 2},
        {"WriteTotalLimit", [](auto& p, auto d, auto& s) { return p.WriteTotalLimit(d, s); }, 2},
        {"ReadSysInfo", [](auto& p, auto d, auto& s) { return p.ReadSysInfo(d, s); }, 1},
        {"WriteFirmwareBlock",
         [](auto& p, auto d, auto& s) { return p.WriteFirmwareBlock(0, d, s); }, 1},
        {"EndFirmwareUpdate", [](auto& p, auto d, auto& s) { return p.EndFirmwareUpdate(d, s); },
         5},
        {"no attempts", [](auto& p, auto d, auto& s) { return p.Transact(d, s, 0x01, 0, 0, 0, 0); },
         0},
    };
    // Every failed attempt waits until the peer has taken its frame: the
    // purge before the next attempt would otherwise throw away a frame the
    // pseudo-terminal has not handed over yet (which happens on a busy machine).
    std::size_t sent = 0;
    port->SetPauseObserver([&](Ms) { EXPECT_TRUE(peer.WaitForFrames(++sent)); });
    std::size_t seen = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data(600, 0x11);
        const Bytes before = data;
        EXPECT_FALSE(c.call(*port, data, status));
        EXPECT_EQ(data, before);
        seen += c.attempts;
        // A marker request shows that no stray frame of this command follows.
        std::uint8_t marker = 0x5B;
        port->Transact(std::span(&marker, 1), status, 0x01, 1, 0, 0, 1);
        const auto wires = Wires();
        ASSERT_EQ(wires.size(), seen + 1);
        EXPECT_EQ(FrameBody(wires.back()).back(), marker);
        seen = wires.size();
    }
}

TEST_F(PortMostTest, LogSequenceAdvancesEvenWhenARecordFails) {
    Connect(Timing(100ms, 2ms));
    peer.SetResponder([](const PtyPeer::Frame& f, std::size_t) -> std::optional<Bytes> {
        const Bytes body = FrameBody(f.wire);
        if (body[0] == 0x11) {
            return ReplyFrame(0, Hex("03 00 00 00 00"));
        }
        if (body[3] == 1) {
            return std::nullopt;
        }
        return ReplyFrame(0, Bytes(65, body[3]));
    });
    Bytes data(65, 0);
    port->LogSequence = 40;
    EXPECT_TRUE(port->ReadLogHeader(data, status));
    EXPECT_EQ(port->LogSequence, 0);
    EXPECT_TRUE(port->ReadLogRecord(data, status));
    EXPECT_FALSE(port->ReadLogRecord(data, status));
    EXPECT_TRUE(port->ReadLogRecord(data, status));
    EXPECT_EQ(port->LogSequence, 3);

    std::vector<int> indexes;
    int ones = 0;
    for (const auto& wire : Wires()) {
        const Bytes body = FrameBody(wire);
        if (body[0] == 0x10 && (indexes.empty() || indexes.back() != body[3])) {
            indexes.push_back(body[3]);
        }
        ones += body[0] == 0x10 && body[3] == 1;
    }
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ones, 5);
}

TEST_F(PortMostTest, AccountBalanceIsAFixedPointAmount) {
    Connect(Timing(300ms, 2ms));
    struct Case {
        std::optional<Bytes> reply;
        std::int64_t amount;
    } const cases[] = {
        {ReplyFrame(0, Hex("D2 04 00 00 00")), 123400},  // 1234 -> 12.34
        {ReplyFrame(0, Hex("CE FF FF FF 00")), -5000},   // -50 -> -0.5
        {ReplyFrame(2, Hex("D2 04 00 00 00")), 0},
        {ReplyFrame(0), 0},  // no balance in the reply
    };
    for (const auto& c : cases) {
        peer.SetResponder([&c](const PtyPeer::Frame&, std::size_t) { return c.reply; });
        Bytes data(5, 0x7F);
        EXPECT_EQ(port->ReadAccountBalance(data, status), c.amount);
    }
    port->SetTiming(Timing(5ms, 2ms));
    ASSERT_TRUE(port->Open(peer.DevicePath()));  // takes the new time-out
    peer.SetResponder(nullptr);
    Bytes data(5, 0x7F);
    EXPECT_EQ(port->ReadAccountBalance(data, status), 0);
}

TEST_F(PortMostTest, ExitIsSentAtTheExitRateThenSysInfoAtTheNormalRate) {
    LinkTiming timing = Timing(500ms);
    timing.exitPause = 200ms;
    Connect(timing);
    peer.SetResponder([](const PtyPeer::Frame& f, std::size_t) -> std::optional<Bytes> {
        if (FrameBody(f.wire)[0] == 0x00) {
            return ReplyFrame(0, Bytes(34, 0x30));
        }
        return std::nullopt;
    });
    Bytes data(34, 0);
    EXPECT_TRUE(port->SendExit(data, status));
    const auto frames = peer.Frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].wire, Hex("0A 2B 2B 2B 5F 45 58 49 54 0D"));
    EXPECT_EQ(frames[0].baud, 9600u);
    EXPECT_EQ(frames[1].wire, Hex("0A 00 00 22 00 00 B4 0D"));
    EXPECT_EQ(frames[1].baud, 115200u);
    EXPECT_GE(frames[1].at - frames[0].at, 180ms);
}

}  // namespace
}  // namespace tulvo
