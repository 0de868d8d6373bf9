#include "image/table_marker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "hex_text.h"
#include "image/firmware_image.h"
#include "image_checks.h"

namespace {

using image::FindTableMarker;
using image::kImageSize;

// A full-size buffer of code-like bytes, the way the Gen. Bin File page sees one.
class TableMarker : public ::testing::Test {
protected:
    void Put(std::uint32_t at, std::string_view text) {
        std::ranges::copy(text, image_.Bytes().begin() + at);
    }
    std::optional<std::uint32_t> Find(std::uint32_t length) const {
        return FindTableMarker(image_.Bytes(), length);
    }

    image::FirmwareImage image_ = image_test::PatternedImage();
};

TEST_F(TableMarker, FindsTheMarkerWhereItStands) {
    Put(0x1234, "QVUSB_Table01");
    EXPECT_EQ(Find(0x2000), 0x1234u);
    Put(0, "QVUSB_Table01");
    EXPECT_EQ(Find(0x2000), 0u);
}

TEST_F(TableMarker, TenCharactersFromTheStartAreEnough) {
    Put(0x400, "QVUSB_TablX");
    EXPECT_EQ(Find(0x2000), 0x400u);
}

TEST_F(TableMarker, NineCharactersAreNot) {
    Put(0x400, "QVUSB_TabXe01");
    Put(0x500, "QVUSB_TaXle01");  // more equal characters, but not in a row from the start
    Put(0x600, "VUSB_Table01");
    EXPECT_EQ(Find(0x2000), std::nullopt);
}

TEST_F(TableMarker, OnlyTheFirstTwelveCharactersAreCompared) {
    Put(0x700, "QVUSB_Table02");
    EXPECT_EQ(Find(0x2000), 0x700u);
}

TEST_F(TableMarker, TheLowerOfTwoWins) {
    Put(0x1800, "QVUSB_Table01");
    Put(0x0C00, "QVUSB_Tabl");
    EXPECT_EQ(Find(0x2000), 0x0C00u);
}

TEST_F(TableMarker, SearchesPositionsBelowTheLengthOnly) {
    Put(0x1234, "QVUSB_Table01");
    EXPECT_EQ(Find(0x1234), std::nullopt);
    EXPECT_EQ(Find(0x1235), 0x1234u);  // the comparison itself may reach past the length
    EXPECT_EQ(Find(0), std::nullopt);
    EXPECT_EQ(FindTableMarker({}, 100), std::nullopt);
}

TEST_F(TableMarker, FindsTheMarkerOfALoadedHexFile) {
    const std::string_view marker = "QVUSB_Table01";
    const std::string text =
        image_test::HexRecordLine(0, 0x1230, {0x00, 0x11, 0x22, 0x33}) +
        image_test::HexRecordLine(0, 0x1234,
                                  std::vector<std::uint8_t>(marker.begin(), marker.end())) +
        std::string(image_test::kEndOfFile);
    image::FirmwareImage image;
    ASSERT_TRUE(image_test::LoadHexText(image, text).Loaded());
    EXPECT_EQ(FindTableMarker(image.Bytes(), image.ImageLength()), 0x1234u);
}

// The buffer is a view of something longer whose next bytes would complete
// the marker: a search that looked past the view's end would find it.
TEST(TableMarkerAtTheEnd, NeverReadsPastTheBuffer) {
    std::vector<std::uint8_t> memory(kImageSize + 16, 0x00);
    const std::span<const std::uint8_t> buffer(memory.data(), kImageSize);
    const std::string_view marker = "QVUSB_Table01";
    std::ranges::copy(marker, memory.begin() + (kImageSize - 9));
    EXPECT_EQ(FindTableMarker(buffer, kImageSize), std::nullopt);

    std::ranges::fill(memory, 0x00);
    std::ranges::copy(marker, memory.begin() + (kImageSize - 10));
    EXPECT_EQ(FindTableMarker(buffer, kImageSize), kImageSize - 10);
    EXPECT_EQ(FindTableMarker(buffer, kImageSize + 100), kImageSize - 10);
}

}  // namespace
