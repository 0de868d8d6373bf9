// Our loader against HEX files written by tools nobody here wrote: objcopy
// (binutils, type 02 records past 64 KiB) and srec_cat (srecord, type 04).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "image/checksum.h"
#include "image/hex_loader.h"
#include "image_checks.h"
#include "reference_writer.h"
#include "support/scratch_dir.h"

namespace {

using image_test::ReferenceWriter;
using Bytes = std::vector<std::uint8_t>;

// A piece of source data and where it belongs in the image.
struct Piece {
    std::uint32_t address;
    std::uint32_t size;
};

void PrintTo(const Piece& piece, std::ostream* out) {
    *out << piece.size << " bytes at 0x" << std::hex << std::uppercase << piece.address << std::dec;
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// What the image must hold after loading the pieces: erased gaps, length up
// to the end of the highest piece.
Bytes Expected(const std::vector<Piece>& pieces, const std::vector<Bytes>& data) {
    std::uint32_t end = 0;
    for (const Piece& piece : pieces)
        end = std::max(end, piece.address + piece.size);
    Bytes expected(end, image::kErasedByte);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::ranges::copy(data[i], expected.begin() + pieces[i].address);
    }
    return expected;
}

class Differential : public ::testing::Test {
protected:
    // Loads the file and compares image, length and checksum with `expected`.
    void ExpectLoads(const std::string& hexPath, const Bytes& expected) {
        image::FirmwareImage image = image_test::PatternedImage();
        const auto result = image::LoadHexFile(image, hexPath);
        ASSERT_TRUE(result.Loaded()) << result.message;
        EXPECT_TRUE(image_test::HoldsExactly(image, expected));
        EXPECT_EQ(result.checksum, image::Checksum16(expected));
    }

    std::vector<Bytes> WritePieces(const std::vector<Piece>& pieces) {
        std::vector<Bytes> data;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            data.push_back(image_test::PseudoRandomBytes(pieces[i].size, 100 + pieces[i].size));
            dir_.Write("piece" + std::to_string(i) + ".bin", data.back());
        }
        return data;
    }

    std::string PiecePath(std::size_t i) const {
        return ReferenceWriter::Quote(dir_.PathOf("piece" + std::to_string(i) + ".bin"));
    }

    image_test::ScratchDir dir_;
};

class ObjcopyImage : public Differential, public ::testing::WithParamInterface<std::uint32_t> {};
class SrecCatImage : public Differential, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(ObjcopyImage, LoadsLikeTheBinaryItWasMadeFrom) {
    if (!ReferenceWriter::Available("objcopy"))
        GTEST_SKIP() << "objcopy is not installed";
    const auto data = WritePieces({{0, GetParam()}});
    const std::string hex = dir_.PathOf("out.hex");
    ASSERT_TRUE(ReferenceWriter::Run("objcopy -I binary -O ihex " + PiecePath(0) + " " +
                                     ReferenceWriter::Quote(hex)));
    if (GetParam() > 0x10000) {
        ASSERT_NE(ReferenceWriter::ReadText(hex).find(":02000002"), std::string::npos);
    }
    ExpectLoads(hex, data[0]);
}

TEST_P(SrecCatImage, LoadsLikeTheBinaryItWasMadeFrom) {
    if (!ReferenceWriter::Available("srec_cat"))
        GTEST_SKIP() << "srec_cat is not installed";
    const auto data = WritePieces({{0, GetParam()}});
    const std::string hex = dir_.PathOf("out.hex");
    ASSERT_TRUE(ReferenceWriter::Run("srec_cat " + PiecePath(0) + " -binary -o " +
                                     ReferenceWriter::Quote(hex) + " -intel"));
    if (GetParam() > 0x10000) {
        ASSERT_NE(ReferenceWriter::ReadText(hex).find(":02000004"), std::string::npos);
    }
    ExpectLoads(hex, data[0]);
}

// Around record, 64 KiB and image boundaries, up to the whole image.
const auto kSizes = ::testing::Values(1u, 15u, 16u, 33u, 1000u, 0xFFFFu, 0x10000u, 0x10001u,
                                      0x20005u, 200000u, 0x3FFFFu, image::kImageSize);
INSTANTIATE_TEST_SUITE_P(Sizes, ObjcopyImage, kSizes);
INSTANTIATE_TEST_SUITE_P(Sizes, SrecCatImage, kSizes);

class SrecCatGaps : public Differential,
                    public ::testing::WithParamInterface<std::vector<Piece>> {};

TEST_P(SrecCatGaps, LeavesTheGapsErased) {
    if (!ReferenceWriter::Available("srec_cat"))
        GTEST_SKIP() << "srec_cat is not installed";
    const auto& pieces = GetParam();
    const auto data = WritePieces(pieces);
    std::string command = "srec_cat";
    // Appended piece by piece: GCC 12 at -O3 takes `" " + std::string` for an
    // overlapping copy (-Wrestrict) and stops the Release build.
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        command.append(" ").append(PiecePath(i)).append(" -binary -offset ");
        command.append(Hex(pieces[i].address));
    }
    const std::string hex = dir_.PathOf("out.hex");
    ASSERT_TRUE(ReferenceWriter::Run(command + " -o " + ReferenceWriter::Quote(hex) + " -intel"));
    ExpectLoads(hex, Expected(pieces, data));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SrecCatGaps,
    ::testing::Values(std::vector<Piece>{{0x100, 5000}, {0x1FFF0, 0x30}, {0x3FF00, 0x100}},
                      std::vector<Piece>{{0, 10}, {0x12345, 77}},
                      std::vector<Piece>{{0x8000, 0x8000}, {0x30000, 0x4000}}));

// Two objcopy files moved apart with --change-addresses, their data joined
// into one file before the second file's end-of-file record.
TEST_F(Differential, ObjcopyFilesJoinedAcrossAGap) {
    if (!ReferenceWriter::Available("objcopy"))
        GTEST_SKIP() << "objcopy is not installed";
    const std::vector<Piece> pieces = {{0, 0x9000}, {0x2A000, 0x1234}};
    const auto data = WritePieces(pieces);
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string hex = dir_.PathOf("part" + std::to_string(i) + ".hex");
        ASSERT_TRUE(ReferenceWriter::Run("objcopy -I binary -O ihex --change-addresses " +
                                         Hex(pieces[i].address) + " " + PiecePath(i) + " " +
                                         ReferenceWriter::Quote(hex)));
        std::string text = ReferenceWriter::ReadText(hex);
        if (i + 1 < pieces.size())
            text = text.substr(0, text.find(":00000001FF"));
        joined += text;
    }
    ExpectLoads(dir_.Write("joined.hex", joined), Expected(pieces, data));
}

TEST_F(Differential, LowerCaseObjcopyOutputLoadsTheSame) {
    if (!ReferenceWriter::Available("objcopy"))
        GTEST_SKIP() << "objcopy is not installed";
    const auto data = WritePieces({{0, 0x18000}});
    const std::string hex = dir_.PathOf("out.hex");
    ASSERT_TRUE(ReferenceWriter::Run("objcopy -I binary -O ihex " + PiecePath(0) + " " +
                                     ReferenceWriter::Quote(hex)));
    std::string text = ReferenceWriter::ReadText(hex);
    std::ranges::transform(text, text.begin(), [](char c) { return std::tolower(c); });
    ExpectLoads(dir_.Write("lower.hex", text), data[0]);
}

}  // namespace
