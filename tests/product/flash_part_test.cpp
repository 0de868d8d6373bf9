#include "product/flash_part.h"

#include <gtest/gtest.h>

namespace product_test {
namespace {

TEST(FlashPart, NamesTheKnownPartsWithTheirSizeAndProgramming) {
    const auto sst = product::DescribeFlash({0xBF, 0x25, 0x41}, 0x1C);
    EXPECT_EQ(sst.model, "SST25VF016B");
    EXPECT_EQ(sst.capacity, 0x200000u);
    EXPECT_TRUE(sst.wordProgram);
    EXPECT_TRUE(sst.Protected());
    const auto mx = product::DescribeFlash({0xC2, 0x22, 0x11}, 0x00);
    EXPECT_EQ(mx.model, "MX25L1021E");
    EXPECT_EQ(mx.capacity, 0x20000u);
    EXPECT_EQ(mx.pageSize, 32);
    EXPECT_FALSE(mx.Protected());
    EXPECT_EQ(product::DescribeFlash({0xEF, 0x40, 0x14}, 0).capacity, 0x100000u);
}

TEST(FlashPart, TakesTheSizeOfAnUnknownPartFromItsThirdByteWhenPlausible) {
    const auto other = product::DescribeFlash({0xC8, 0x40, 0x15}, 0);
    EXPECT_EQ(other.model, "unknown part");
    EXPECT_EQ(other.capacity, 0x200000u);
    EXPECT_EQ(other.pageSize, 256);
    EXPECT_EQ(product::DescribeFlash({0x00, 0x00, 0x00}, 0).capacity, 0u);
    EXPECT_EQ(product::DescribeFlash({0xFF, 0xFF, 0xFF}, 0xFF).capacity, 0u);
}

}  // namespace
}  // namespace product_test
