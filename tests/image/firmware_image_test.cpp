#include "image/firmware_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "image/checksum.h"
#include "image_checks.h"

namespace {

using image::FirmwareImage;
using image::kImageSize;

TEST(FirmwareImage, StartsAllZeroWithNoLength) {
    const FirmwareImage image;
    EXPECT_EQ(image.ImageLength(), 0u);
    EXPECT_EQ(image.Bytes().size(), 262144u);
    EXPECT_TRUE(std::ranges::all_of(image.Bytes(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(image.Defined().empty());
}

TEST(FirmwareImage, FillImageWritesEveryByteAndKeepsTheLength) {
    FirmwareImage image = image_test::PatternedImage(1234);
    image::FillImage(image, 0xFF);
    EXPECT_TRUE(std::ranges::all_of(image.Bytes(), [](std::uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(image.ImageLength(), 1234u);
}

TEST(FirmwareImage, AssignErasesEverythingAfterTheContent) {
    FirmwareImage image = image_test::PatternedImage();
    const std::vector<std::uint8_t> content = {1, 2, 3};
    image.Assign(content);
    EXPECT_TRUE(image_test::HoldsExactly(image, content));

    image.Assign({});
    EXPECT_TRUE(image_test::HoldsExactly(image, {}));
}

TEST(FirmwareImage, AssignOfItsOwnBytesKeepsThem) {
    FirmwareImage image = image_test::PatternedImage(300);
    const std::vector<std::uint8_t> before(image.Defined().begin(), image.Defined().end());
    image.Assign(image.Defined());
    EXPECT_TRUE(image_test::HoldsExactly(image, before));
}

TEST(FirmwareImage, RefusesContentOrLengthBeyondTheImage) {
    FirmwareImage image = image_test::PatternedImage(10);
    const FirmwareImage before = image;
    const std::vector<std::uint8_t> tooLong(kImageSize + 1, 0x00);
    EXPECT_THROW(image.Assign(tooLong), std::out_of_range);
    EXPECT_THROW(image.SetImageLength(kImageSize + 1), std::out_of_range);
    EXPECT_TRUE(image_test::SameImage(image, before));
    image.SetImageLength(kImageSize);
    EXPECT_EQ(image.ImageLength(), kImageSize);
}

TEST(FirmwareImage, CopiesAreIndependent) {
    FirmwareImage original = image_test::PatternedImage(50);
    FirmwareImage copy = original;
    copy.Bytes()[0] = 0xEE;
    copy.SetImageLength(7);
    EXPECT_NE(original.Bytes()[0], 0xEE);
    EXPECT_EQ(original.ImageLength(), 50u);

    original = copy;
    EXPECT_TRUE(image_test::SameImage(original, copy));
}

TEST(Checksum16, SumsUnsignedBytesModulo65536) {
    EXPECT_EQ(image::Checksum16({}), 0);
    const std::vector<std::uint8_t> small = {0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(image::Checksum16(small), 0x000A);
    const std::vector<std::uint8_t> high = {0xAA, 0xBB};
    EXPECT_EQ(image::Checksum16(high), 0x0165);
    // 257 bytes of 0xFF sum to 0xFFFF exactly; one more wraps round to 0x00FE.
    EXPECT_EQ(image::Checksum16(std::vector<std::uint8_t>(257, 0xFF)), 0xFFFF);
    EXPECT_EQ(image::Checksum16(std::vector<std::uint8_t>(258, 0xFF)), 0x00FE);
    EXPECT_EQ(image::Checksum16(std::vector<std::uint8_t>(kImageSize, 0xFF)),
              (kImageSize * 255) % 65536);
}

TEST(Checksum16, ImageChecksumCoversOnlyTheDefinedBytes) {
    FirmwareImage image;
    image::FillImage(image, 0xFF);
    image.Bytes()[0] = 0x10;
    image.Bytes()[1] = 0x20;
    image.SetImageLength(3);  // the third byte is undefined and counts as 0xFF
    EXPECT_EQ(image::ImageChecksum(image), 0x10 + 0x20 + 0xFF);
    image.SetImageLength(0);
    EXPECT_EQ(image::ImageChecksum(image), 0);
}

}  // namespace
