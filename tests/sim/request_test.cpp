#include "sim/request.h"

#include <gtest/gtest.h>

#include <vector>

namespace tulvo::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(SimRequest, ParsesHeaderFieldsOfWorkedRequests) {
    // ReadSettingFXO: code 05, reply 20, index 0, header checksum 6C.
    auto fxo = Request::Parse(Bytes{0x05, 0x00, 0x14, 0x00, 0x00, 0x6C});
    ASSERT_TRUE(fxo);
    EXPECT_EQ(fxo->command, 0x05);
    EXPECT_EQ(fxo->replyLength, 20);
    EXPECT_EQ(fxo->index, 0);
    EXPECT_TRUE(fxo->payload.empty());

    // Firmware block header: length byte 0x11 although 529 bytes follow, index 3336.
    Bytes firmware{0x16, 0x11, 0x00, 0x08, 0x0D, 0xEC};
    firmware.resize(6 + 529, 0x00);  // all-zero payload: its checksum byte is 0 too
    auto block = Request::Parse(firmware);
    ASSERT_TRUE(block);
    EXPECT_EQ(block->requestLength, 0x11);
    EXPECT_EQ(block->index, 3336);
    EXPECT_EQ(block->payload.size(), 529u);
}

TEST(SimRequest, RejectsDamagedRequests) {
    const std::vector<Bytes> damaged = {
        {},                                             // nothing
        {0x05, 0x00, 0x14, 0x00, 0x00},                 // header cut short
        {0x05, 0x00, 0x14, 0x00, 0x00, 0x6D},           // header checksum off by one
        {0x06, 0x21, 0x00, 0x00, 0x00, 0x44, 1, 2, 3},  // payload checksum wrong
    };
    for (const auto& body : damaged) {
        EXPECT_FALSE(Request::Parse(body)) << "size " << body.size();
    }
}

TEST(SimRequest, SingleBytePayloadIsNotChecksummed) {
    auto request = Request::Parse(Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5A});
    ASSERT_TRUE(request);
    EXPECT_EQ(request->payload, Bytes{0x5A});
}

TEST(SimReply, BodyCarriesStatusHeaderChecksumAndSealedPayload) {
    EXPECT_EQ((Reply{2, {}}.Body()), (Bytes{0x02, 0, 0, 0, 0, 0xC4}));
    EXPECT_EQ((Reply{0, {}}.Body()), (Bytes{0x00, 0, 0, 0, 0, 0x00}));
    // "abc" followed by a slot for its checksum: Crc8("abc") = 0x60.
    EXPECT_EQ((Reply{0, {'a', 'b', 'c', 0xFF}}.Body()),
              (Bytes{0, 0, 0, 0, 0, 0, 'a', 'b', 'c', 0x60}));
    // A one-byte payload goes unchanged.
    EXPECT_EQ((Reply{0, {0x77}}.Body()), (Bytes{0, 0, 0, 0, 0, 0, 0x77}));
}

}  // namespace
}  // namespace tulvo::sim
