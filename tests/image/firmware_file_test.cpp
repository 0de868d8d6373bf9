#include "image/firmware_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_checks.h"
#include "support/scratch_dir.h"

namespace {

using image::FirmwareFileKind;
using image::FirmwareFileKindOf;
using image::LoadStatus;

TEST(FirmwareFileKindOf, OnlyTheThirdCharacterFromTheEndDecides) {
    EXPECT_EQ(FirmwareFileKindOf("FW.BIN"), FirmwareFileKind::Binary);
    EXPECT_EQ(FirmwareFileKindOf("fw.bin"), FirmwareFileKind::Binary);
    EXPECT_EQ(FirmwareFileKindOf("fw.bak"), FirmwareFileKind::Binary);
    EXPECT_EQ(FirmwareFileKindOf("fw.hex"), FirmwareFileKind::Hex);
    EXPECT_EQ(FirmwareFileKindOf("fw.H00"), FirmwareFileKind::Hex);
    EXPECT_EQ(FirmwareFileKindOf("fw.txt"), FirmwareFileKind::Unknown);
    EXPECT_EQ(FirmwareFileKindOf("fw.hx"), FirmwareFileKind::Unknown);
    EXPECT_EQ(FirmwareFileKindOf("/data/hex/fw"), FirmwareFileKind::Unknown);
}

TEST(FirmwareFileKindOf, ShortPathsUseTheirFirstCharacter) {
    EXPECT_EQ(FirmwareFileKindOf("b"), FirmwareFileKind::Binary);
    EXPECT_EQ(FirmwareFileKindOf("H1"), FirmwareFileKind::Hex);
    EXPECT_EQ(FirmwareFileKindOf("x"), FirmwareFileKind::Unknown);
    EXPECT_EQ(FirmwareFileKindOf(""), FirmwareFileKind::Unknown);
}

class LoadFirmwareFile : public ::testing::Test {
protected:
    image_test::ScratchDir dir_;
    image::FirmwareImage image_ = image_test::PatternedImage();
    // Valid as HEX; as binary it is 32 bytes of text.
    const std::string hexText_ = ":0400000001020304F2\r\n:00000001FF\r\n";
};

TEST_F(LoadFirmwareFile, BinAndBakLoadAsBinary) {
    for (const char* name : {"FW.BIN", "fw.bak"}) {
        const auto result = image::LoadFirmwareFile(image_, dir_.Write(name, hexText_));
        ASSERT_TRUE(result.Loaded()) << name << ": " << result.message;
        EXPECT_EQ(image_.ImageLength(), hexText_.size()) << name;
    }
}

TEST_F(LoadFirmwareFile, H00LoadsAsHex) {
    const auto result = image::LoadFirmwareFile(image_, dir_.Write("fw.H00", hexText_));
    ASSERT_TRUE(result.Loaded()) << result.message;
    EXPECT_EQ(result.checksum, 0x000A);
    EXPECT_TRUE(image_test::HoldsExactly(image_, std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST_F(LoadFirmwareFile, OtherNamesLoadNothing) {
    const image::FirmwareImage before = image_;
    for (const char* name : {"fw.txt", "fw.hx"}) {
        const auto result = image::LoadFirmwareFile(image_, dir_.Write(name, hexText_));
        EXPECT_EQ(result.status, LoadStatus::NotRecognised) << name;
        EXPECT_EQ(result.checksum, 0);
        EXPECT_NE(result.message.find(name), std::string::npos) << result.message;
        EXPECT_TRUE(image_test::SameImage(image_, before));
    }
    EXPECT_EQ(image::LoadFirmwareFile(image_, "").status, LoadStatus::NotRecognised);
}

TEST_F(LoadFirmwareFile, PassesOnTheLoadersFailures) {
    const image::FirmwareImage before = image_;
    EXPECT_EQ(image::LoadFirmwareFile(image_, dir_.PathOf("missing.hex")).status,
              LoadStatus::NotOpened);
    EXPECT_EQ(image::LoadFirmwareFile(image_, dir_.Write("bad.hex", ":0400")).status,
              LoadStatus::Refused);
    EXPECT_TRUE(image_test::SameImage(image_, before));
}

}  // namespace
