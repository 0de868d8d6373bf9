#include "flash/range.h"

#include <gtest/gtest.h>

namespace flash_test {
namespace {

TEST(OperationRange, AllStartsAtZeroWhateverTheRangeStart) {
    EXPECT_EQ(flash::OperationRangeFor(true, 0x10000, 0x8000),
              (flash::OperationRange{0, 0x8000, 0}));
}

TEST(OperationRange, AssignRangePlacesTheImageAtTheStart) {
    EXPECT_EQ(flash::OperationRangeFor(false, 0x10000, 0x8000),
              (flash::OperationRange{0x10000, 0x18000, 0x10000}));
}

// A start of "-4" KB once became 0xFFFFF000 and its end wrapped round to 0x7000.
TEST(OperationRange, AnEndPast32BitsDoesNotWrap) {
    const flash::OperationRange range = flash::OperationRangeFor(false, 0xFFFFF000, 0x8000);
    EXPECT_EQ(range.first, 0xFFFFF000u);
    EXPECT_EQ(range.end, 0x100007000u);
}

}  // namespace
}  // namespace flash_test
