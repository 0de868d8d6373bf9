#include "flash/read_back.h"

#include <gtest/gtest.h>

#include <memory>

#include "fake_flash_rig.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

class ReadBack : public ::testing::Test {
protected:
    ReadBack() {
        rig.Link().OpenDevice();
        for (std::size_t i = 0; i < 0x9000; ++i) {
            rig.Memory()[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
        }
    }

    FakeFlashRig rig;
    ProgressRecorder progress;
    std::unique_ptr<flash::ReadBackBuffer> buffer = std::make_unique<flash::ReadBackBuffer>();
};

TEST_F(ReadBack, ReadFlashRangeReads513BlocksTwiceEach) {
    EXPECT_TRUE(flash::ReadBackRange(rig.Link(), *buffer, flash::kReadFlashFirst,
                                     flash::kReadFlashLast, progress));
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 81 0040 0001 4 03"), 2 * 513);
    EXPECT_TRUE(std::equal(buffer->begin(), buffer->begin() + 0x8040, rig.Memory().begin()));
    EXPECT_EQ((*buffer)[0x8040], 0x00);  // past the range: untouched
    EXPECT_EQ(progress.Last("addr"), "Verifying Addr: 0x008000");
}

TEST_F(ReadBack, PositionsNotReachedHoldTheFiller) {
    rig.SetReadHook([](std::uint32_t start, std::span<std::uint8_t>) { return start < 0x100; });
    EXPECT_FALSE(flash::ReadBackRange(rig.Link(), *buffer, 0, 0x8000, progress));
    EXPECT_EQ((*buffer)[0xFF], rig.Memory()[0xFF]);
    EXPECT_EQ((*buffer)[0x100], 0x5A);
    EXPECT_EQ((*buffer)[0x8000], 0x5A);
    EXPECT_EQ(progress.Last("step"), "Verifying Fail at 0x000100");
}

TEST_F(ReadBack, TwoReadsThatDisagreeThreeTimesFailAtTheDifference) {
    int reads = 0;
    rig.SetReadHook([&reads](std::uint32_t start, std::span<std::uint8_t> reply) {
        if (start == 0x40 && ++reads % 2 == 0)
            reply[3] ^= 0x10;  // every second read differs
        return true;
    });
    EXPECT_FALSE(flash::ReadBackRange(rig.Link(), *buffer, 0, 0x100, progress));
    EXPECT_EQ(progress.Last("step"), "Verifying Fail at 0x000043");
}

TEST_F(ReadBack, AFailedSecondReadIsNotHeldAgainstTheBlock) {
    int reads = 0;
    rig.SetReadHook([&reads](std::uint32_t, std::span<std::uint8_t>) { return ++reads % 2 == 1; });
    EXPECT_TRUE(flash::ReadBackRange(rig.Link(), *buffer, 0, 0x100, progress));
}

TEST_F(ReadBack, RangeAtTheEndOfTheBufferKeepsWhatFits) {
    EXPECT_TRUE(flash::ReadBackRange(rig.Link(), *buffer, 0x3FFC0, 0x40000, progress));
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 81 0040 0001 4 03"), 4);
    EXPECT_EQ((*buffer)[0x3FFFF], rig.Memory()[0x3FFFF]);
}

TEST_F(ReadBack, ARangeBeyondTheFlashIsRefusedWithoutARequest) {
    rig.ClearTrace();
    EXPECT_FALSE(flash::ReadBackRange(rig.Link(), *buffer, 0, 0x1000001, progress));
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(progress.Last("step"), "Range reaches past the 16 MiB flash: nothing done");
}

}  // namespace
}  // namespace flash_test
