#include "image/bin_loader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image/checksum.h"
#include "image_checks.h"
#include "support/scratch_dir.h"

namespace {

using image::FirmwareImage;
using image::kImageSize;
using image::LoadStatus;

using Bytes = std::vector<std::uint8_t>;

class LoadBinFile : public ::testing::Test {
protected:
    image::LoadResult Load(const Bytes& content) {
        return image::LoadBinFile(image_, dir_.Write("fw.bin", content));
    }

    image_test::ScratchDir dir_;
    FirmwareImage image_ = image_test::PatternedImage();
};

TEST_F(LoadBinFile, LoadsEveryByteFromOffsetZero) {
    const Bytes content = image_test::PseudoRandomBytes(70001, 7);
    const auto result = Load(content);
    ASSERT_EQ(result.status, LoadStatus::Loaded) << result.message;
    EXPECT_TRUE(image_test::HoldsExactly(image_, content));
    EXPECT_EQ(result.checksum, image::Checksum16(content));
}

TEST_F(LoadBinFile, EmptyFileIsRefusedAndLeavesTheImageAlone) {
    const FirmwareImage before = image_;
    const auto result = Load({});
    EXPECT_EQ(result.status, LoadStatus::Refused);
    EXPECT_EQ(result.checksum, 0);
    EXPECT_EQ(result.reason, "the file is empty");
    EXPECT_NE(result.message.find("fw.bin"), std::string::npos) << result.message;
    EXPECT_EQ(image_.ImageLength(), before.ImageLength());
    EXPECT_TRUE(std::ranges::equal(image_.Bytes(), before.Bytes()));
}

TEST_F(LoadBinFile, FileOfExactlyTheImageSizeLoads) {
    const Bytes content = image_test::PseudoRandomBytes(kImageSize, 8);
    const auto result = Load(content);
    ASSERT_EQ(result.status, LoadStatus::Loaded) << result.message;
    EXPECT_TRUE(image_test::HoldsExactly(image_, content));
    EXPECT_EQ(result.checksum, image::Checksum16(content));
}

TEST_F(LoadBinFile, LargerFileIsRefusedNotCut) {
    const FirmwareImage before = image_;
    for (const std::size_t size : {std::size_t{kImageSize} + 1, std::size_t{300000}}) {
        const auto result = Load(Bytes(size, 0x11));
        EXPECT_EQ(result.status, LoadStatus::Refused);
        EXPECT_EQ(result.checksum, 0);
        EXPECT_NE(result.message.find(std::to_string(size) + " bytes"), std::string::npos)
            << result.message;
        EXPECT_NE(result.message.find("262144"), std::string::npos) << result.message;
        EXPECT_TRUE(image_test::SameImage(image_, before));
    }
}

TEST_F(LoadBinFile, MissingFileLeavesTheImageAlone) {
    const FirmwareImage before = image_;
    const std::string path = dir_.PathOf("absent.bin");
    const auto result = image::LoadBinFile(image_, path);
    EXPECT_EQ(result.status, LoadStatus::NotOpened);
    EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
    EXPECT_TRUE(image_test::SameImage(image_, before));
}

}  // namespace
