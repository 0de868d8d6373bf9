#include "flash/range_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "fake_flash_rig.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

// Read instruction lines for one block address.
std::string ReadOf(std::uint32_t address) {
    return "43 81 0040 0001 4 " +
           Hex({0x03, static_cast<std::uint8_t>(address >> 16),
                static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)}) +
           " ok";
}

class RangeChecks : public ::testing::Test {
protected:
    RangeChecks() { rig.Link().OpenDevice(); }

    // Corrupts `address` on the first `times` reads that cover it.
    void CorruptReads(std::uint32_t address, int times) {
        rig.SetReadHook([=, this](std::uint32_t start, std::span<std::uint8_t> reply) mutable {
            if (address >= start && address < start + reply.size() && corrupted_ < times) {
                reply[address - start] ^= 0x01;
                ++corrupted_;
            }
            return true;
        });
    }

    std::vector<std::uint8_t> Image(std::size_t size) {
        std::vector<std::uint8_t> image(size, 0xFF);
        for (std::size_t i = 0; i < size; ++i)
            image[i] = static_cast<std::uint8_t>(i * 13 + 1);
        return image;
    }

    FakeFlashRig rig;
    ProgressRecorder progress;
    int corrupted_ = 0;
};

// A driver that reports a block it never delivered leaves the buffer as it
// was. Filled afresh with the complement of the expected bytes before every
// read, it can never pass such a block, not even when the block before it
// held the same bytes.
TEST_F(RangeChecks, VerifyRefillsItsBufferForEveryBlock) {
    std::vector<std::uint8_t> image(0x80, 0x00);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i % 0x40);  // block 1 repeats block 0
    std::copy(image.begin(), image.end(), rig.Memory().begin());
    rig.SetSilentFetch([](std::uint32_t address) { return address == 0x40; });
    flash::FailurePoint failure;
    EXPECT_FALSE(flash::VerifyRange(rig.Link(), {image, 0x80}, 0, 0, 0x7F, progress, &failure));
    EXPECT_EQ(progress.Last("step"), "Verifying Fail at 0x000040");
    EXPECT_EQ(failure.address, 0x40u);
    EXPECT_EQ(failure.cause, "reads 0xFF, expected 0x00");
}

TEST_F(RangeChecks, BlankCheckNeverPassesABlockThatWasNotDelivered) {
    rig.SetSilentFetch([](std::uint32_t address) { return address == 0; });
    EXPECT_FALSE(flash::BlankCheckRange(rig.Link(), 0, 0x3F, progress));
}

TEST_F(RangeChecks, BlankCheckIncludesTheLastAddress) {
    EXPECT_TRUE(flash::BlankCheckRange(rig.Link(), 0, 0x100, progress));
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 81 0040"), 5);
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0x100)), 1);
    EXPECT_EQ(progress.Last("addr"), "Blanking Addr: 0x000100");
}

TEST_F(RangeChecks, BlankCheckIgnoresBytesPastTheLastAddress) {
    rig.Memory()[0x45] = 0x00;
    EXPECT_TRUE(flash::BlankCheckRange(rig.Link(), 0, 0x44, progress));
}

TEST_F(RangeChecks, BlankCheckFailsOnANonBlankByteAfterThreeAttempts) {
    rig.Memory()[0x45] = 0x7F;
    EXPECT_FALSE(flash::BlankCheckRange(rig.Link(), 0, 0x100, progress));
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0x40)), 3);
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0x80)), 0);
    EXPECT_EQ(progress.Last("step"), "Blanking Fail at 0x000045");
}

TEST_F(RangeChecks, UnreadableBlockIsNamedByItsOwnAddress) {
    rig.SetReadHook([](std::uint32_t start, std::span<std::uint8_t>) { return start != 0x80; });
    EXPECT_FALSE(flash::BlankCheckRange(rig.Link(), 0, 0x100, progress));
    EXPECT_EQ(progress.Last("step"), "Blanking Fail at 0x000080");
    EXPECT_EQ(progress.Last("addr"), "Blanking Addr: 0x000040");  // failed reads show no address
}

TEST_F(RangeChecks, UnreadableRetryKeepsTheAddressOfTheEarlierMismatch) {
    rig.Memory()[0x47] = 0x00;
    int reads = 0;
    rig.SetReadHook([&reads](std::uint32_t start, std::span<std::uint8_t>) {
        return start != 0x40 || ++reads == 1;  // first read compares, the next two fail
    });
    EXPECT_FALSE(flash::BlankCheckRange(rig.Link(), 0, 0x100, progress));
    EXPECT_EQ(progress.Last("step"), "Blanking Fail at 0x000047");
}

TEST_F(RangeChecks, VerifyFailsOnThreeCorruptedReadsInARow) {
    const std::vector<std::uint8_t> image = Image(0x100);
    std::copy(image.begin(), image.end(), rig.Memory().begin());
    CorruptReads(0x45, 3);
    EXPECT_FALSE(flash::VerifyRange(rig.Link(), {image, 0x100}, 0, 0, 0x100, progress));
    EXPECT_EQ(progress.Last("step"), "Verifying Fail at 0x000045");
}

TEST_F(RangeChecks, VerifyMovesOnWhenTheDifferenceIsGoneOnTheSecondAttempt) {
    const std::vector<std::uint8_t> image = Image(0x100);
    std::copy(image.begin(), image.end(), rig.Memory().begin());
    CorruptReads(0x45, 1);
    EXPECT_TRUE(flash::VerifyRange(rig.Link(), {image, 0x100}, 0, 0, 0x100, progress));
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0x40)), 2);
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0x80)), 1);
    EXPECT_EQ(progress.Last("addr"), "Verifying Addr: 0x000100");
}

TEST_F(RangeChecks, VerifyTakesImageBytesRelativeToTheImageBase) {
    const std::vector<std::uint8_t> image = Image(0x80);
    std::copy(image.begin(), image.end(), rig.Memory().begin() + 0x8000);
    EXPECT_TRUE(flash::VerifyRange(rig.Link(), {image, 0x80}, 0x8000, 0x8000, 0x8080, progress));
    EXPECT_FALSE(flash::VerifyRange(rig.Link(), {image, 0x80}, 0, 0x8000, 0x8080, progress));
}

TEST_F(RangeChecks, VerifyOfAFullSizeImageTakesTheAddressPastItAsErased) {
    std::vector<std::uint8_t> image(0x40000, 0x00);
    std::fill_n(rig.Memory().begin(), 0x40000, 0x00);  // 0x40000 itself stays erased
    EXPECT_TRUE(flash::VerifyRange(rig.Link(), {image, 0x40000}, 0, 0x3FF00, 0x40000, progress));
    rig.Memory()[0x40000] = 0x00;
    EXPECT_FALSE(flash::VerifyRange(rig.Link(), {image, 0x40000}, 0, 0x3FF00, 0x40000, progress));
    EXPECT_EQ(progress.Last("step"), "Verifying Fail at 0x040000");
}

TEST_F(RangeChecks, ALastAddressBeyondTheFlashIsRefusedWithoutARequest) {
    rig.ClearTrace();
    const std::vector<std::uint8_t> image = Image(0x40);
    EXPECT_FALSE(flash::BlankCheckRange(rig.Link(), 0xFFFF00, 0x1000001, progress));
    EXPECT_FALSE(
        flash::VerifyRange(rig.Link(), {image, 0x40}, 0x1000000, 0x1000000, 0x1000040, progress));
    // 4 GiB on: in 32 bits this range was 0 .. 0x100, the boot area.
    EXPECT_FALSE(flash::BlankCheckRange(rig.Link(), 0x100000000, 0x100000100, progress));
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(progress.To("step"),
              std::vector<std::string>(3, "Range reaches past the 16 MiB flash: nothing done"));
}

TEST_F(RangeChecks, ALastAddressAtTheFlashEndReadsNothingPastIt) {
    rig.ClearTrace();
    EXPECT_TRUE(flash::BlankCheckRange(rig.Link(), 0xFFFF80, 0x1000000, progress));
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 81 0040"), 2);
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0xFFFFC0)), 1);
    EXPECT_EQ(CountOf(rig.Lines(), ReadOf(0x1000000)), 0) << "cut to 24 bits, this reads address 0";
    EXPECT_EQ(progress.Last("addr"), "Blanking Addr: 0xFFFFC0");
}

}  // namespace
}  // namespace flash_test
