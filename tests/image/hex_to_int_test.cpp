#include "image/hex_to_int.h"

#include <gtest/gtest.h>

namespace {

using image::HexToInt;

TEST(HexToInt, ConvertsExactlyCountCharacters) {
    EXPECT_EQ(HexToInt("1A", 2), 26);
    EXPECT_EQ(HexToInt("1A", 1), 1);
    EXPECT_EQ(HexToInt("ff", 2), 255);
    EXPECT_EQ(HexToInt("aBcD", 4), 0xABCD);
    EXPECT_EQ(HexToInt("1A", 0), 0);
}

TEST(HexToInt, EveryOtherCharacterCountsAsZero) {
    EXPECT_EQ(HexToInt("0x12", 4), 0x12);  // the 'x' is a zero digit, not a prefix
    EXPECT_EQ(HexToInt("zz", 2), 0);
    EXPECT_EQ(HexToInt(" 1", 2), 1);
    EXPECT_EQ(HexToInt("-1", 2), 1);
    EXPECT_EQ(HexToInt("G0", 2), 0);
    EXPECT_EQ(HexToInt("\n5", 2), 5);
}

TEST(HexToInt, ReadsOnThroughTheTerminator) {
    // "5" with count 2 also reads its NUL, which counts as a zero digit.
    EXPECT_EQ(HexToInt("5", 2), 0x50);
}

TEST(HexToInt, ShiftsLeadingDigitsOutBeyondEight) {
    EXPECT_EQ(HexToInt("FFFFFFFF", 8), -1);
    EXPECT_EQ(HexToInt("123456789", 9), 0x23456789);
    EXPECT_EQ(HexToInt("F00000000", 9), 0);
}

}  // namespace
