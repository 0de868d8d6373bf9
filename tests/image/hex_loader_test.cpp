#include "image/hex_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "hex_text.h"
#include "image/checksum.h"
#include "image_checks.h"
#include "support/scratch_dir.h"

namespace {

using image::FirmwareImage;
using image::LoadStatus;
using image_test::HexRecordLine;
using image_test::HoldsExactly;
using image_test::kEndOfFile;
using image_test::LoadHexText;

using Bytes = std::vector<std::uint8_t>;

TEST(LoadHexFile, LoadsDataRecordsAndTheirChecksum) {
    FirmwareImage image = image_test::PatternedImage();
    const auto result = LoadHexText(image, ":0400000001020304F2\r\n:00000001FF\r\n");
    ASSERT_EQ(result.status, LoadStatus::Loaded) << result.message;
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.checksum, 0x000A);
    EXPECT_TRUE(HoldsExactly(image, Bytes{0x01, 0x02, 0x03, 0x04}));
}

TEST(LoadHexFile, BytesBeforeTheFirstRecordStayErasedButCount) {
    FirmwareImage image = image_test::PatternedImage();
    // Count 02, offset 0004, type 00, data AA BB.
    const auto result = LoadHexText(image, ":02000400AABB95\n" + std::string(kEndOfFile));
    ASSERT_EQ(result.status, LoadStatus::Loaded) << result.message;
    EXPECT_TRUE(HoldsExactly(image, Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xAA, 0xBB}));
    EXPECT_EQ(result.checksum, 0x0561);
}

TEST(LoadHexFile, LowerCaseDigitsLoadLikeUpperCase) {
    const std::string upper =
        HexRecordLine(0, 0x1230, {0xAB, 0xCD, 0xEF, 0x9A}) + std::string(kEndOfFile);
    std::string lower = upper;
    std::ranges::transform(lower, lower.begin(), [](char c) { return std::tolower(c); });
    ASSERT_NE(lower, upper);
    FirmwareImage fromUpper;
    FirmwareImage fromLower;
    ASSERT_TRUE(LoadHexText(fromUpper, upper).Loaded());
    const auto result = LoadHexText(fromLower, lower);
    ASSERT_TRUE(result.Loaded()) << result.message;
    EXPECT_TRUE(image_test::SameImage(fromLower, fromUpper));
    EXPECT_EQ(fromLower.Bytes()[0x1230], 0xAB);
    EXPECT_EQ(fromLower.ImageLength(), 0x1234u);
}

TEST(LoadHexFile, SkipsLineEndsAndBlanksBetweenRecords) {
    const std::string text =
        "\xEF\xBB\xBF\n\n  :0400000001020304F2 \t\n\r\n:02000400AABB95:00000001FF";
    FirmwareImage image;
    const auto result = LoadHexText(image, text);
    ASSERT_TRUE(result.Loaded()) << result.message;
    EXPECT_TRUE(HoldsExactly(image, Bytes{1, 2, 3, 4, 0xAA, 0xBB}));
}

// Records that agree where they overlap say one thing; and old DOS tools end
// a text file with Ctrl-Z, after which nothing belongs to it.
TEST(LoadHexFile, OverlapWithTheSameDataAndADosEndMarkLoad) {
    FirmwareImage image;
    const std::string text =
        ":0400000001020304F2\n:020002000304F5\n:00000001FF\n\x1A:02000400AABB95";
    const auto result = LoadHexText(image, text);
    ASSERT_TRUE(result.Loaded()) << result.message;
    EXPECT_TRUE(HoldsExactly(image, Bytes{1, 2, 3, 4}));
}

TEST(LoadHexFile, LengthIsHighestAddressWrittenPlusOne) {
    FirmwareImage image;
    // Out of order, a gap, an empty data record far out, and start address records.
    const std::string text =
        HexRecordLine(0, 0x0100, {0x11, 0x22}) + HexRecordLine(0, 0x0000, {0x33}) +
        HexRecordLine(0, 0x9000, {}) + HexRecordLine(0x03, 0, {0x12, 0x34, 0x56, 0x78}) +
        HexRecordLine(0x05, 0, {0x00, 0x00, 0x01, 0x00}) + std::string(kEndOfFile);
    const auto result = LoadHexText(image, text);
    ASSERT_TRUE(result.Loaded()) << result.message;
    Bytes expected(0x102, 0xFF);
    expected[0] = 0x33;
    expected[0x100] = 0x11;
    expected[0x101] = 0x22;
    EXPECT_TRUE(HoldsExactly(image, expected));
    EXPECT_EQ(result.checksum, image::Checksum16(expected));
}

TEST(LoadHexFile, MissingFileLeavesTheImageAlone) {
    FirmwareImage image = image_test::PatternedImage(77);
    const FirmwareImage before = image;
    const image_test::ScratchDir dir;
    const std::string path = dir.PathOf("PaleReed_f066.hex");
    const auto result = image::LoadHexFile(image, path);
    EXPECT_EQ(result.status, LoadStatus::NotOpened);
    EXPECT_EQ(result.checksum, 0);
    EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
    EXPECT_NE(result.message.find("No such file"), std::string::npos) << result.message;
    EXPECT_TRUE(image_test::SameImage(image, before));
}

TEST(LoadHexFile, UnreadableFileLeavesTheImageAlone) {
    FirmwareImage image = image_test::PatternedImage(77);
    const FirmwareImage before = image;
    const image_test::ScratchDir dir;
    // A directory opens on Linux but cannot be read.
    const auto result = image::LoadHexFile(image, dir.PathOf(""));
    EXPECT_EQ(result.status, LoadStatus::NotOpened);
    EXPECT_FALSE(result.message.empty());
    EXPECT_TRUE(image_test::SameImage(image, before));
}

TEST(LoadHexFile, LoadsAFullImageUnderLinearBases) {
    const Bytes source = image_test::PseudoRandomBytes(image::kImageSize, 42);
    std::string text;
    for (std::uint32_t address = 0; address < image::kImageSize; address += 16) {
        if (address % 0x10000 == 0)
            text += image_test::LinearBaseLine(address >> 16);
        text += HexRecordLine(0, static_cast<std::uint16_t>(address),
                              Bytes(source.begin() + address, source.begin() + address + 16));
    }
    text += kEndOfFile;
    FirmwareImage image;
    const auto result = LoadHexText(image, text);
    ASSERT_TRUE(result.Loaded()) << result.message;
    EXPECT_TRUE(HoldsExactly(image, source));
    EXPECT_EQ(result.checksum, image::Checksum16(source));
}

}  // namespace
