#include "flash/isp_erase.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fake_flash_rig.h"
#include "flash/flash_state.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

using Instructions = std::vector<std::vector<std::uint8_t>>;

flash::FlashState RangeState(std::uint64_t start, std::uint64_t size) {
    flash::FlashState state;
    state.rangeStart = start;
    state.rangeSize = size;
    return state;
}

TEST(WholeChipErase, SendsWriteEnableEraseAndPollsUntilNotBusy) {
    FakeFlashRig rig;
    rig.QueueStatus({0x00, 0x03});  // idle before the identification, then erasing
    flash::FlashState state;
    ProgressRecorder progress;
    EXPECT_TRUE(flash::EraseFlash(rig.Link(), flash::EraseScope::WholeChip, state, progress));
    Lines expected = {"open ok"};
    Append(expected, PrepareLines());
    Append(expected,
           {"close", "open ok", InstructionLine({0x06}), InstructionLine({0xC7}), SleepLine(10)});
    Append(expected, StatusReadLines(0x03));
    expected.push_back(SleepLine(10));
    Append(expected, StatusReadLines(0x00));
    expected.push_back("close");
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_EQ(progress.To("sr"),
              (std::vector<std::string>{"Status Register: 0x03", "Status Register: 0x00"}));
    EXPECT_FALSE(state.sequenceFailed);
}

TEST(WholeChipErase, DotsGrowEveryTwentyPollsAndStartOverAfterNine) {
    FakeFlashRig rig;
    std::vector<std::uint8_t> statuses = {0x00};  // idle before the identification
    statuses.insert(statuses.end(), 219, 0x01);   // poll 219 is the first clear one
    rig.QueueStatus(statuses);
    flash::FlashState state;
    ProgressRecorder progress;
    flash::EraseFlash(rig.Link(), flash::EraseScope::WholeChip, state, progress);
    const std::vector<std::string> steps = progress.To("step");
    ASSERT_EQ(steps.size(), 221u);
    EXPECT_EQ(steps[0], "Flash Erase All ");
    for (int n = 0; n < 220; ++n) {
        const int dots = n < 200 ? n / 20 : 0;
        EXPECT_EQ(steps[n + 1], "Flash Erase All " + std::string(dots, '.')) << "poll " << n;
    }
    EXPECT_EQ(progress.Last("sr"), "Status Register: 0x00");
}

TEST(WholeChipErase, StuckBusyFlashFailsAfter1000Polls) {
    FakeFlashRig rig;
    rig.QueueStatus({0x00});  // idle before the identification
    rig.SetStatus(0x01);
    flash::FlashState state;
    ProgressRecorder progress;
    EXPECT_FALSE(flash::EraseFlash(rig.Link(), flash::EraseScope::WholeChip, state, progress));
    EXPECT_EQ(rig.StatusReads(), 1 + 1000);
    EXPECT_EQ(progress.Last("step"), "Erase Flash Fail");
    EXPECT_TRUE(state.sequenceFailed);
    EXPECT_EQ(rig.Lines().back(), "close");
}

TEST(SectorErase, AssignRange32Of32KbErasesEightSectorsEachAfterWriteEnable) {
    FakeFlashRig rig;
    flash::FlashState state = RangeState(32 * 1024, 32 * 1024);
    ProgressRecorder progress;
    EXPECT_TRUE(flash::EraseFlash(rig.Link(), flash::EraseScope::AccessRange, state, progress));
    Instructions expected = {{0x04}};  // the known state before the chip ID
    for (int high = 0x80; high <= 0xF0; high += 0x10) {
        expected.push_back({0x06});
        expected.push_back({0x20, 0x00, static_cast<std::uint8_t>(high), 0x00});
    }
    EXPECT_EQ(rig.Instructions(), expected);
    EXPECT_EQ(CountOf(rig.Lines(), SleepLine(10)), 8);
    const std::vector<std::string> steps = progress.To("step");
    EXPECT_EQ(steps.front(), "Flash Sector Erase");
    EXPECT_EQ(steps.back(), "Flash Sector Erase: 0x 00F000");
}

TEST(SectorErase, TimeOutOnAnEarlierSectorStillFailsTheRange) {
    FakeFlashRig rig;
    std::vector<std::uint8_t> statuses = {0x00, 0x00};  // idle; sector 1 done
    statuses.insert(statuses.end(), 1000, 0x01);        // sector 2 never done
    rig.QueueStatus(statuses);                          // sectors 3 and 4 done
    flash::FlashState state = RangeState(0, 4 * 4096);
    ProgressRecorder progress;
    EXPECT_FALSE(flash::EraseFlash(rig.Link(), flash::EraseScope::AccessRange, state, progress));
    EXPECT_EQ(CountOf(rig.Lines(), InstructionLine({0x06})), 4);  // the loop went on
    EXPECT_EQ(progress.Last("step"), "Erase Flash Fail");
    EXPECT_TRUE(state.sequenceFailed);
}

TEST(SectorErase, EmptyRangeErasesNothingAndIsNoFailure) {
    FakeFlashRig rig;
    flash::FlashState state = RangeState(0x8000, 0);
    ProgressRecorder progress;
    EXPECT_TRUE(flash::EraseFlash(rig.Link(), flash::EraseScope::AccessRange, state, progress));
    Lines expected = {"open ok"};
    Append(expected, PrepareLines());
    Append(expected, {"close", "open ok", "close"});
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_FALSE(state.sequenceFailed);
    EXPECT_EQ(progress.To("step"),
              std::vector<std::string>{"Flash Sector Erase: empty range, nothing erased"});
}

TEST(SectorErase, ARangeBeyondTheFlashFailsBeforeTheDeviceIsOpened) {
    constexpr std::uint64_t kMinus4Kb = std::uint64_t{0xFFFFFFFC} * 1024;  // "-4" once wrapped
    const std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges = {
        {0xFFF000, 0x2000},  // its second sector would be cut to 0x000000
        {0x8000, kMinus4Kb},
        {kMinus4Kb, 0x8000},
    };
    for (const auto& [start, size] : ranges) {
        FakeFlashRig rig;
        flash::FlashState state = RangeState(start, size);
        ProgressRecorder progress;
        EXPECT_FALSE(
            flash::EraseFlash(rig.Link(), flash::EraseScope::AccessRange, state, progress));
        EXPECT_TRUE(rig.Lines().empty()) << start << "+" << size;
        EXPECT_TRUE(state.sequenceFailed);
        EXPECT_EQ(progress.To("step"),
                  std::vector<std::string>{"Range reaches past the 16 MiB flash: nothing done"});
    }
}

// Each erase covers the sector that holds the address sent; the addresses
// are RangeStart plus multiples of 4096 as they are, not rounded down.
TEST(SectorErase, AddressesAreSentAsTheyAreNotRoundedDown) {
    FakeFlashRig rig;
    flash::FlashState state = RangeState(0x8800, 0x2000);
    ProgressRecorder progress;
    EXPECT_TRUE(flash::EraseFlash(rig.Link(), flash::EraseScope::AccessRange, state, progress));
    EXPECT_EQ(
        rig.Instructions(),
        (Instructions{{0x04}, {0x06}, {0x20, 0x00, 0x88, 0x00}, {0x06}, {0x20, 0x00, 0x98, 0x00}}));
}

// A part left in word-programming mode, or none at all, answers the ID with
// FF FF FF: nothing may be erased on it.
TEST(WholeChipErase, AFlashNotIdentifiedIsNotErased) {
    for (const chip::ChipIdBytes& id :
         {chip::ChipIdBytes{0xFF, 0xFF, 0xFF}, chip::ChipIdBytes{0x00, 0x00, 0x00}}) {
        FakeFlashRig rig;
        rig.SetChipId(id);
        flash::FlashState state = RangeState(0, 0x2000);
        ProgressRecorder progress;
        EXPECT_FALSE(flash::EraseFlash(rig.Link(), flash::EraseScope::WholeChip, state, progress));
        EXPECT_EQ(rig.Instructions(), (Instructions{{0x04}}));
        EXPECT_TRUE(state.sequenceFailed);
        const std::string idText = id[0] == 0xFF ? "FF FF FF" : "00 00 00";
        EXPECT_EQ(progress.Last("step"),
                  "Stopped: flash not identified (chip ID " + idText + "); nothing was changed");
    }
}

// Of a part whose size is not known only the 24-bit address space bounds the range.
TEST(SectorErase, ARangeEndingAtTheFlashEndErasesItsLastSectors) {
    FakeFlashRig rig;
    rig.SetChipId({0x1F, 0x45, 0x01});
    flash::FlashState state = RangeState(0xFFE000, 0x2000);
    ProgressRecorder progress;
    EXPECT_TRUE(flash::EraseFlash(rig.Link(), flash::EraseScope::AccessRange, state, progress));
    EXPECT_EQ(
        rig.Instructions(),
        (Instructions{{0x04}, {0x06}, {0x20, 0xFF, 0xE0, 0x00}, {0x06}, {0x20, 0xFF, 0xF0, 0x00}}));
    EXPECT_EQ(progress.Last("step"), "Flash Sector Erase: 0x FFF000");
}

}  // namespace
}  // namespace flash_test
