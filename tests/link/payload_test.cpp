#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "link/account_balance.h"
#include "link/byte_io.h"
#include "link_test_util.h"

namespace tulvo {
namespace {

using test::Hex;
using Bytes = std::vector<std::uint8_t>;

TEST(ByteIo, ReadsAndWritesLittleEndianWithinBounds) {
    Bytes b = Hex("01 02 03 04 05");
    EXPECT_EQ(ReadU16le(b, 3), 0x0504);
    EXPECT_EQ(ReadU32le(b, 1), 0x05040302u);
    EXPECT_EQ(ReadI32le(Hex("CE FF FF FF"), 0), -50);
    WriteU32le(b, 1, 0xA1B2C3D4u);
    EXPECT_EQ(b, Hex("01 D4 C3 B2 A1"));
    EXPECT_THROW(ReadU16le(b, 4), std::out_of_range);
    EXPECT_THROW(ReadU32le(b, std::numeric_limits<std::size_t>::max()), std::out_of_range);
    EXPECT_THROW(WriteU16le(b, 5, 1), std::out_of_range);
    EXPECT_EQ(b, Hex("01 D4 C3 B2 A1"));  // a refused write changes nothing
}

TEST(AccountBalance, ConvertsHundredthsWithoutOverflow) {
    EXPECT_EQ(AccountBalance::AmountFromHundredths(1234), 123400);
    EXPECT_EQ(AccountBalance::AmountFromHundredths(-50), -5000);
    EXPECT_EQ(AccountBalance::AmountFromHundredths(std::numeric_limits<std::int32_t>::min()),
              -214748364800LL);
    EXPECT_EQ(AccountBalance::AmountFromPayload(Hex("D2 04 00 00 00")), 123400);
}

}  // namespace
}  // namespace tulvo
