#include "Common/Big5Bopomofo.h"

#include <gtest/gtest.h>

TEST(Big5Bopomofo, LettersAndToneMarksMapBothWays)
{
    const struct {
        char32_t codePoint;
        unsigned big5;
        int letter;
    } cases[] = {{U'ㄅ', 0xA374, 0},  {U'ㄏ', 0xA37E, 10}, {U'ㄐ', 0xA3A1, 11}, {U'ㄙ', 0xA3AA, 20},
                 {U'ㄚ', 0xA3AB, 21}, {U'ㄦ', 0xA3B7, 33}, {U'ㄩ', 0xA3BA, 36}, {U'˙', 0xA3BB, -1},
                 {U'ˋ', 0xA3BE, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(big5FromCodePoint(c.codePoint), c.big5) << static_cast<unsigned>(c.codePoint);
        EXPECT_EQ(codePointFromBig5(c.big5), c.codePoint) << std::hex << c.big5;
        EXPECT_EQ(bopomofoLetterIndex(c.big5), c.letter) << std::hex << c.big5;
    }
    for (char32_t outside : {char32_t(U'a'), char32_t(0x3104), char32_t(0x312A)})
        EXPECT_FALSE(big5FromCodePoint(outside)) << static_cast<unsigned>(outside);
    for (unsigned outside : {0xA373u, 0xA37Fu, 0xA3A0u, 0xA3BFu, 0u})
        EXPECT_FALSE(codePointFromBig5(outside)) << std::hex << outside;
}
