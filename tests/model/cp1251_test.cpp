#include <gtest/gtest.h>

#include <string>

#include "model/cp1251.h"

namespace tulvo {
namespace {

TEST(Cp1251Test, EveryByteSurvivesRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

struct Letter {
    const char* utf8;
    unsigned char byte;
};

class Cp1251LetterTest : public ::testing::TestWithParam<Letter> {};

TEST_P(Cp1251LetterTest, MapsBothWays) {
    const std::string byte(1, static_cast<char>(GetParam().byte));
    EXPECT_EQ(Cp1251ToUtf8(byte), GetParam().utf8);
    EXPECT_EQ(Utf8ToCp1251(GetParam().utf8), byte);
}

INSTANTIATE_TEST_SUITE_P(Known, Cp1251LetterTest,
                         ::testing::Values(Letter{"A", 0x41}, Letter{"А", 0xC0}, Letter{"Я", 0xDF},
                                           Letter{"а", 0xE0}, Letter{"я", 0xFF}, Letter{"Ё", 0xA8},
                                           Letter{"ё", 0xB8}, Letter{"№", 0xB9}, Letter{"Є", 0xAA},
                                           Letter{"ї", 0xBF}, Letter{"Ґ", 0xA5}, Letter{"€", 0x88},
                                           Letter{"—", 0x97}, Letter{"«", 0xAB},
                                           Letter{"\u00A0", 0xA0}, Letter{"Ђ", 0x80}));

TEST(Cp1251Test, ConvertsPhrases) {
    EXPECT_EQ(Utf8ToCp1251("Иванов Иван"), "\xC8\xE2\xE0\xED\xEE\xE2 \xC8\xE2\xE0\xED");
    EXPECT_EQ(Cp1251ToUtf8("\xD7\xF2\xE5\xED\xE8\xE5 \xE7\xE0\xE2\xE5\xF0\xF8\xE5\xED\xEE!"),
              "Чтение завершено!");
}

TEST(Cp1251Test, UnmappableAndMalformedBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1251("a\u4E2Db"), "a?b");      // no byte for it
    EXPECT_EQ(Utf8ToCp1251("x\U0001F600y"), "x?y");  // outside the basic plane
    EXPECT_EQ(Utf8ToCp1251("\x80z"), "?z");          // stray continuation byte
    EXPECT_EQ(Utf8ToCp1251("\xD0"), "?");            // cut sequence at the end
    EXPECT_EQ(Utf8ToCp1251("\xC0\x80"), "??");       // overlong zero
    EXPECT_EQ(Utf8ToCp1251("\xED\xA0\x80"), "???");  // surrogate
    EXPECT_EQ(Utf8ToCp1251("\u0081"), "?");          // C1 control other than U+0098
}

}  // namespace
}  // namespace tulvo
