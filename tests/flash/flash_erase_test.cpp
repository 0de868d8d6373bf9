#include "flash/flash_erase.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "chip/flash_commands.h"
#include "fake_flash_rig.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

using Polls = std::vector<std::pair<int, std::uint8_t>>;

class FlashErase : public ::testing::Test {
protected:
    FlashErase() {
        rig.Link().OpenDevice();
        rig.ClearTrace();
    }

    flash::ErasePollReport Record() {
        return [this](int poll, std::uint8_t status) { polls.emplace_back(poll, status); };
    }

    FakeFlashRig rig;
    ProgressRecorder line;
    ProgressRecorder progress;
    Polls polls;
};

TEST_F(FlashErase, WholeChipPutsItsDotsOnTheLineAndReportsEveryPoll) {
    rig.QueueStatus(std::vector<std::uint8_t>(20, 0x03));  // polls 0 to 19 busy
    EXPECT_TRUE(flash::EraseWholeChip(rig.Link(), line, progress, Record()));

    Lines expected = {InstructionLine({0x06}), InstructionLine({0xC7}), SleepLine(10)};
    for (int n = 0; n < 20; ++n) {
        Append(expected, StatusReadLines(0x03));
        expected.push_back(SleepLine(10));
    }
    Append(expected, StatusReadLines(0x00));
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));

    std::vector<std::string> dots(1 + 20, "Flash Erase All ");
    dots.push_back("Flash Erase All .");
    EXPECT_EQ(line.To("panel"), dots);
    ASSERT_EQ(polls.size(), 21u);
    EXPECT_EQ(polls.front(), (std::pair<int, std::uint8_t>{0, 0x03}));
    EXPECT_EQ(polls.back(), (std::pair<int, std::uint8_t>{20, 0x00}));
    EXPECT_TRUE(progress.texts.empty()) << "the line is the caller's choice";
    EXPECT_EQ(progress.pumps, 21);
}

TEST_F(FlashErase, AnEraseThatNeverEndsGivesUpAfter1000Polls) {
    rig.SetStatus(0x01);
    EXPECT_FALSE(flash::EraseAndWait(
        rig.Link(), [this] { return chip::FlashEraseSector(rig.Link(), 0x8000); }, progress,
        Record()));
    EXPECT_EQ(rig.Instructions(),
              (std::vector<std::vector<std::uint8_t>>{{0x06}, {0x20, 0x00, 0x80, 0x00}}));
    EXPECT_EQ(rig.StatusReads(), 1000);
    EXPECT_EQ(CountOf(rig.Lines(), SleepLine(10)), 1 + 1000);
    EXPECT_EQ(polls.back(), (std::pair<int, std::uint8_t>{999, 0x01}));
}

}  // namespace
}  // namespace flash_test
