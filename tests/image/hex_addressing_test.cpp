#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hex_text.h"
#include "image/firmware_image.h"
#include "image_checks.h"

namespace {

using image::FirmwareImage;
using image_test::HexRecordLine;
using image_test::kEndOfFile;
using image_test::LinearBaseLine;
using image_test::SegmentBaseLine;

using Bytes = std::vector<std::uint8_t>;

// Loads `text` and returns the image; fails the test if it does not load.
FirmwareImage Loaded(const std::string& text) {
    FirmwareImage image;
    const auto result = image_test::LoadHexText(image, text + std::string(kEndOfFile));
    EXPECT_TRUE(result.Loaded()) << result.message;
    return image;
}

TEST(HexAddressing, LinearBasePlacesDataAboveItsOffset) {
    const auto image = Loaded(LinearBaseLine(0x0002) + HexRecordLine(0, 0x0010, {0xA1, 0xA2}));
    EXPECT_EQ(image.Bytes()[0x20010], 0xA1);
    EXPECT_EQ(image.Bytes()[0x20011], 0xA2);
    EXPECT_EQ(image.Bytes()[0x00010], 0xFF);
    EXPECT_EQ(image.ImageLength(), 0x20012u);
}

TEST(HexAddressing, SegmentBaseIsSixteenTimesTheSegment) {
    const auto image = Loaded(SegmentBaseLine(0x1000) + HexRecordLine(0, 0x0004, {0xB1}) +
                              SegmentBaseLine(0x2345) + HexRecordLine(0, 0x0000, {0xB2}));
    EXPECT_EQ(image.Bytes()[0x10004], 0xB1);
    EXPECT_EQ(image.Bytes()[0x23450], 0xB2);
    EXPECT_EQ(image.ImageLength(), 0x23451u);
}

TEST(HexAddressing, SegmentAddressingWrapsWithinItsSegment) {
    const auto image =
        Loaded(SegmentBaseLine(0x1000) + HexRecordLine(0, 0xFFFE, {0xC1, 0xC2, 0xC3, 0xC4}));
    EXPECT_EQ(image.Bytes()[0x1FFFE], 0xC1);
    EXPECT_EQ(image.Bytes()[0x1FFFF], 0xC2);
    EXPECT_EQ(image.Bytes()[0x10000], 0xC3);
    EXPECT_EQ(image.Bytes()[0x10001], 0xC4);
    EXPECT_EQ(image.Bytes()[0x20000], 0xFF);
    EXPECT_EQ(image.ImageLength(), 0x20000u);
}

TEST(HexAddressing, LinearAddressingRunsOnPast64KiB) {
    // Without any base record, as with a linear one, a record runs on past 0xFFFF.
    for (const std::string& prefix : {std::string(), LinearBaseLine(0)}) {
        const auto image = Loaded(prefix + HexRecordLine(0, 0xFFFF, {0xD1, 0xD2}));
        EXPECT_EQ(image.Bytes()[0x0FFFF], 0xD1);
        EXPECT_EQ(image.Bytes()[0x10000], 0xD2);
        EXPECT_EQ(image.Bytes()[0x00000], 0xFF);
        EXPECT_EQ(image.ImageLength(), 0x10001u);
    }
}

TEST(HexAddressing, LaterBaseRecordsReplaceEarlierOnes) {
    const auto image =
        Loaded(SegmentBaseLine(0x1000) + LinearBaseLine(0x0003) + HexRecordLine(0, 0xFFFF, {0xE1}) +
               LinearBaseLine(0x0000) + HexRecordLine(0, 0x0001, {0xE2}) + SegmentBaseLine(0x0000) +
               HexRecordLine(0, 0xFFFF, {0xE3, 0xE4}));
    EXPECT_EQ(image.Bytes()[0x3FFFF], 0xE1);
    EXPECT_EQ(image.Bytes()[0x00001], 0xE2);
    EXPECT_EQ(image.Bytes()[0x0FFFF], 0xE3);
    EXPECT_EQ(image.Bytes()[0x00000], 0xE4);
    EXPECT_EQ(image.ImageLength(), 0x40000u);
}

TEST(HexAddressing, BaseRecordsStoreNothing) {
    // A base record of 0 before or after a data record for offset 0 leaves the data as it is.
    const std::string base = ":020000040000FA\r\n";
    const std::string data = ":020000001234B8\r\n";
    for (const std::string& text : {base + data, data + base}) {
        const auto image = Loaded(text);
        EXPECT_TRUE(image_test::HoldsExactly(image, Bytes{0x12, 0x34})) << text;
    }
}

TEST(HexAddressing, LastByteOfTheImageIsWithinReach) {
    const auto image = Loaded(LinearBaseLine(0x0003) + HexRecordLine(0, 0xFFFF, {0x5A}));
    EXPECT_EQ(image.Bytes()[0x3FFFF], 0x5A);
    EXPECT_EQ(image.ImageLength(), image::kImageSize);
}

}  // namespace
