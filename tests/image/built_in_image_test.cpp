#include "image/built_in_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "image/boot_layout.h"
#include "image/hex_loader.h"
#include "image/parameter_table.h"
#include "image/table_marker.h"
#include "image_checks.h"
#include "reference_writer.h"

namespace {

using image::TableString;

// std::search rather than std::ranges::search: Clang 14 cannot compile the
// latter's result type with the libstdc++ of Debian 12.
bool Contains(std::span<const std::uint8_t> bytes, std::string_view text) {
    return std::search(bytes.begin(), bytes.end(), text.begin(), text.end(),
                       [](std::uint8_t b, char c) { return b == static_cast<std::uint8_t>(c); }) !=
           bytes.end();
}

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::uint32_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::string TableText(std::span<const std::uint8_t> bytes, std::uint32_t table, TableString which) {
    const std::uint32_t slot = table + image::TableStringOffset(which);
    const auto* text = reinterpret_cast<const char*>(bytes.data() + slot + 1);
    return std::string(text, std::min<std::uint32_t>(bytes[slot], image::kTableStringMaxLength));
}

// The frame the boot ROM checks, the table behind the marker, the version text.
void ExpectDemoFirmware(std::span<const std::uint8_t> bytes, std::uint32_t length,
                        std::string_view version) {
    EXPECT_EQ(image::BootImageLength(bytes), length);
    EXPECT_TRUE(Contains(bytes.first(4), "QVFW"));
    EXPECT_TRUE(Contains(bytes.subspan(length - 4, 4), "QVFE"));
    EXPECT_TRUE(
        Contains(bytes, std::string("Pale Reed F066 demo firmware ") + std::string(version)));

    const auto table = image::FindTableMarker(bytes, length);
    ASSERT_TRUE(table.has_value());
    EXPECT_LE(*table + image::kTableSize, length - 4);
    EXPECT_EQ(Read16(bytes, *table + image::kTableVidOffset), 0x2FC6);
    EXPECT_EQ(Read16(bytes, *table + image::kTablePidOffset), 0xF066);
    EXPECT_EQ(TableText(bytes, *table, TableString::Manufacturer), "Quorvex-inc");
    EXPECT_EQ(TableText(bytes, *table, TableString::Product), "Quorvex-inc UAC22");
    EXPECT_EQ(TableText(bytes, *table, TableString::SerialNumber), "QVUA170405");
    EXPECT_EQ(TableText(bytes, *table, TableString::PlayPort), "Primary Play Interface");
    EXPECT_EQ(TableText(bytes, *table, TableString::RecordPort), "Record Interface");

    // Code-like content and erased padding, not a block of one value.
    const std::set<std::uint8_t> values(bytes.begin(), bytes.begin() + length);
    EXPECT_GT(values.size(), 250u);
    EXPECT_TRUE(Contains(bytes, std::string(64, '\xFF')));
}

TEST(BuiltInImage, IsOurDemoFirmwareV100) {
    const auto bytes = image::BuiltInImage();
    ASSERT_EQ(bytes.size(), 32768u);
    ExpectDemoFirmware(bytes, 32768, "V1.00");
}

TEST(BuiltInImage, CopyReplacesTheFirst32KiBAndKeepsTheLength) {
    image::FirmwareImage image = image_test::PatternedImage(100000);
    const image::FirmwareImage before = image;
    image::CopyBuiltInImage(image);
    EXPECT_TRUE(std::ranges::equal(image.Bytes().first(32768), image::BuiltInImage()));
    EXPECT_TRUE(std::ranges::equal(image.Bytes().subspan(32768), before.Bytes().subspan(32768)));
    EXPECT_EQ(image.ImageLength(), 100000u);
}

// The update file we ship for the Pale Reed F066 beside the program.
TEST(DemoUpdateFile, LoadsAsANewerDemoFirmware) {
    const auto path = std::filesystem::path(PALEREED_SOURCE_DIR) / "data/demo/PaleReed_f066.hex";
    image::FirmwareImage image;
    const auto result = image::LoadHexFile(image, path.string());
    ASSERT_TRUE(result.Loaded()) << result.message;
    EXPECT_EQ(image.ImageLength(), 0xC000u);
    ExpectDemoFirmware(image.Bytes(), 0xC000, "V1.01");

    const std::string text = image_test::ReferenceWriter::ReadText(path.string());
    EXPECT_EQ(text.substr(0, 11), ":1000000051");
    EXPECT_TRUE(text.ends_with("\r\n:00000001FF\r\n"));
    EXPECT_EQ(std::ranges::count(text, '\n'), std::ranges::count(text, '\r'));
}

TEST(BootImageLength, RejectsInconsistentFrames) {
    std::vector<std::uint8_t> frame(32, 0x00);
    std::ranges::copy(std::string_view("QVFW"), frame.begin());
    frame[4] = 16;
    std::ranges::copy(std::string_view("QVFE"), frame.begin() + 12);
    EXPECT_EQ(image::BootImageLength(frame), 16u);

    auto wrongHeader = frame;
    wrongHeader[0] = 'X';
    EXPECT_EQ(image::BootImageLength(wrongHeader), std::nullopt);
    auto wrongTrailer = frame;
    wrongTrailer[15] = 'X';
    EXPECT_EQ(image::BootImageLength(wrongTrailer), std::nullopt);
    auto beyond = frame;
    beyond[4] = 33;
    EXPECT_EQ(image::BootImageLength(beyond), std::nullopt);
    auto tooShort = frame;
    tooShort[4] = 12;  // a frame with no body at all
    std::ranges::copy(std::string_view("QVFE"), tooShort.begin() + 8);
    EXPECT_EQ(image::BootImageLength(tooShort), std::nullopt);
    EXPECT_EQ(image::BootImageLength(std::span(frame).first(8)), std::nullopt);
}

}  // namespace
