#include <gtest/gtest.h>

#include <vector>

#include "link/crc8.h"
#include "link/frame_codec.h"

namespace tulvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Decode(const Bytes& wire, std::size_t limit, std::size_t* consumed = nullptr) {
    FrameDecoder decoder(limit);
    std::size_t i = 0;
    for (; i < wire.size(); ++i) {
        if (decoder.Feed(wire[i]) == FrameDecoder::Result::Complete) {
            ++i;
            break;
        }
    }
    if (consumed) {
        *consumed = i;
    }
    return decoder.Data();
}

TEST(Crc8, MatchesWorkedValues) {
    EXPECT_EQ(Crc8(nullptr, 0), 0x00);
    const std::uint8_t one = 0x01;
    EXPECT_EQ(Crc8(&one, 1), 0x8C);
    const Bytes a = {'a'}, ab = {'a', 'b'}, abc = {'a', 'b', 'c'};
    EXPECT_EQ(Crc8(a), 0x94);
    EXPECT_EQ(Crc8(ab), 0x0C);
    EXPECT_EQ(Crc8(abc), 0x60);
    const Bytes digits = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc8(digits), 0x64);
}

TEST(Crc8, RunFollowedByItsChecksumSumsToZero) {
    Bytes run = {0x05, 0x00, 0x14, 0x00, 0x00};
    run.push_back(Crc8(run));
    EXPECT_EQ(run.back(), 0x6C);
    EXPECT_EQ(Crc8(run), 0x00);
}

TEST(FrameEncoder, EscapesTheFourSpecialValues) {
    EXPECT_EQ(EncodeFrame(Bytes{0x41, 0x0A}), (Bytes{0x0A, 0x0C, 0xBE, 0x0C, 0xF5, 0x0D}));
    EXPECT_EQ(EncodeFrame(Bytes{0x0C, 0x0D}), (Bytes{0x0A, 0x0C, 0xF3, 0x0C, 0xF2, 0x0D}));
}

TEST(FrameEncoder, EmptyBodyIsTheEmptyFrame) {
    EXPECT_EQ(EncodeFrame(Bytes{}), (Bytes{0x0A, 0x0D}));
}

TEST(FrameEncoder, OtherValuesPassUnchanged) {
    EXPECT_EQ(EncodeFrame(Bytes{0x00, 0xFF, 0xF5}), (Bytes{0x0A, 0x00, 0xFF, 0xF5, 0x0D}));
}

TEST(FrameDecoder, HuntSkipsLeadingBytesAndUnescapes) {
    EXPECT_EQ(Decode({0x55, 0x0A, 0x31, 0x0C, 0xBE, 0x32, 0x0D}, 100), (Bytes{0x31, 0x41, 0x32}));
}

TEST(FrameDecoder, EmptyFrameStoresNothing) {
    std::size_t consumed = 0;
    EXPECT_TRUE(Decode({0x0A, 0x0D}, 100, &consumed).empty());
    EXPECT_EQ(consumed, 2u);
}

TEST(FrameDecoder, SecondStartByteInsideBodyIsData) {
    EXPECT_EQ(Decode({0x0A, 0x31, 0x0A, 0x32, 0x0D}, 100), (Bytes{0x31, 0x0A, 0x32}));
}

TEST(FrameDecoder, StopsAtLimitLeavingTheRestUnread) {
    std::size_t consumed = 0;
    EXPECT_EQ(Decode({0x0A, 0x31, 0x32, 0x33, 0x0D}, 2, &consumed), (Bytes{0x31, 0x32}));
    EXPECT_EQ(consumed, 4u);  // start, two data bytes, and the byte that hit the limit
}

TEST(FrameDecoder, FrameOfExactlyLimitBytesIsConsumedThroughItsEnd) {
    std::size_t consumed = 0;
    EXPECT_EQ(Decode({0x0A, 0x31, 0x32, 0x0D, 0x77}, 2, &consumed), (Bytes{0x31, 0x32}));
    EXPECT_EQ(consumed, 4u);
}

TEST(FrameDecoder, FloodWithoutEndNeverStoresPastLimit) {
    FrameDecoder decoder(8);
    decoder.Feed(0x0A);
    int fed = 0;
    while (decoder.Feed(0x55) == FrameDecoder::Result::NeedMore && fed < 100000) {
        ++fed;
    }
    EXPECT_EQ(decoder.Data().size(), 8u);
    EXPECT_LT(fed, 10);
}

TEST(FrameDecoder, RoundTripsEveryByteValue) {
    Bytes all;
    for (int v = 0; v < 256; ++v) {
        all.push_back(static_cast<std::uint8_t>(v));
    }
    EXPECT_EQ(Decode(EncodeFrame(all), all.size()), all);
}

}  // namespace
}  // namespace tulvo
