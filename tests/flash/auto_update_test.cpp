#include "flash/auto_update.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "fake_auto_host.h"
#include "fake_flash_rig.h"
#include "flash/flash_state.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

using flash::AutoOption;

constexpr std::uint32_t kImageLength = 0x200;

class AutoUpdate : public ::testing::Test {
protected:
    AutoUpdate() : buffer(0x40000, 0xFF) {
        for (std::uint32_t i = 0; i < kImageLength; ++i) {
            buffer[i] = static_cast<std::uint8_t>(i * 3);
        }
        host.image = buffer;
        host.imageLength = kImageLength;
    }

    bool Run() { return flash::RunAutoUpdate(rig.Link(), state, host, recorder); }

    bool FlashHoldsImageAt(std::uint32_t address) {
        return std::equal(buffer.begin(), buffer.begin() + kImageLength,
                          rig.Memory().begin() + address);
    }

    FakeFlashRig rig;
    std::vector<std::uint8_t> buffer;
    FakeAutoHost host;
    flash::FlashState state;
    ProgressRecorder recorder;
};

TEST_F(AutoUpdate, EveryStepTickedShowsItsTextsInTurn) {
    EXPECT_TRUE(Run());
    const std::vector<std::string> steps = recorder.To("step");
    const std::vector<std::string> expected = {"Enter ISP Mode",        "Clear Status register",
                                               "Flash Erase All ",      "Flash Erase All ",
                                               "Start Blanking Check",  "Blanking Success",
                                               "Start Programming",     "Programming Success",
                                               "Start Verifying Check", "Verifying Success"};
    EXPECT_EQ(steps, expected);
    EXPECT_TRUE(FlashHoldsImageAt(0));
    EXPECT_EQ(host.asked, std::vector<std::string>{"reload"});
    EXPECT_EQ(rig.Lines().back(), "close");
    EXPECT_EQ(rig.Instructions().back(), (std::vector<std::uint8_t>{0x01, 0xFF}));
}

TEST_F(AutoUpdate, OnlyProgramTickedSendsNoModeStatusOrEraseRequests) {
    host.TickOnly({AutoOption::Program});
    EXPECT_TRUE(Run());
    const Lines& lines = rig.Lines();
    EXPECT_EQ(CountOf(lines, "open ok"), 2);
    EXPECT_EQ(CountOf(lines, "close"), 2);  // the second open closes the first handle
    EXPECT_EQ(lines.back(), "close");
    EXPECT_EQ(CountStartingWith(lines, "43 84"), 0);
    EXPECT_EQ(CountStartingWith(lines, "43 85"), 0);
    EXPECT_EQ(CountStartingWith(lines, "43 80 0000 0001 2 01"), 0);
    EXPECT_EQ(CountOf(lines, InstructionLine({0xC7})), 0);
    EXPECT_EQ(CountStartingWith(lines, "43 81 0003 0001 1 9f"), 1);  // the profile is chosen
    EXPECT_TRUE(host.asked.empty());
    EXPECT_TRUE(FlashHoldsImageAt(0));
}

TEST_F(AutoUpdate, AssignRangeSixtyFourOfSixtyFourKb) {
    host.wholeFlash = false;
    host.startText = "64";
    host.sizeText = "64";
    EXPECT_TRUE(Run());
    EXPECT_EQ(state.rangeStart, 65536u);
    EXPECT_EQ(state.rangeSize, 65536u);
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 80 0000 0001 4 20"), 16);
    EXPECT_EQ(CountOf(rig.Lines(), InstructionLine({0x20, 0x01, 0xF0, 0x00})), 1);
    EXPECT_EQ(CountOf(rig.Lines(), "43 81 0040 0001 4 03010000 ok"), 2);  // blank, verify
    EXPECT_EQ(CountOf(rig.Lines(), "43 81 0040 0001 4 03010200 ok"), 2);  // the last address
    EXPECT_TRUE(FlashHoldsImageAt(0x10000));
}

// The identified W25-like part holds 1 MiB: a range that ends above it would
// wrap round to the boot area, so the run stops before the status is cleared.
TEST_F(AutoUpdate, ARangePastTheIdentifiedFlashStopsBeforeAnythingIsErased) {
    host.wholeFlash = false;
    host.startText = "1000";
    host.sizeText = "64";
    EXPECT_FALSE(Run());
    EXPECT_EQ(recorder.Last("step"),
              "The range up to 1064 KiB reaches past the flash of this device (1024 KiB); "
              "nothing was changed.");
    EXPECT_EQ(rig.Instructions(), (std::vector<std::vector<std::uint8_t>>{{0x04}}));
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 85"), 1);
    EXPECT_EQ(rig.Lines().back(), "close");
}

TEST_F(AutoUpdate, RangeTextThatIsNoNumberStopsTheRunBeforeAnyRequest) {
    host.wholeFlash = false;
    host.sizeText = "6x4";
    EXPECT_THROW(Run(), std::invalid_argument);
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(state.rangeStart, 32u * 1024);  // taken before the size failed
}

TEST_F(AutoUpdate, AFileThatWouldNotLoadStopsTheRunBeforeAnyRequest) {
    host.reloadLoads = false;
    EXPECT_FALSE(Run());
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(recorder.To("step"), std::vector<std::string>{"Reload File Fail"});
}

TEST_F(AutoUpdate, ChecksTheImageAsItStandsAfterTheReload) {
    host.onReload = [this] { host.imageLength = 0x40; };
    EXPECT_TRUE(Run());
    EXPECT_EQ(CountOf(rig.Lines(), "43 81 0040 0001 4 03000080 ok"), 0);
    EXPECT_EQ(CountOf(rig.Lines(), "43 81 0040 0001 4 03000040 ok"), 2);
}

TEST_F(AutoUpdate, EraseTimeOutSkipsTheLoopsButProtectsAndLeaves) {
    std::vector<std::uint8_t> statuses = {0x00, 0x00, 0x00};  // idle, and the status clearing
    statuses.insert(statuses.end(), 1000, 0x01);
    rig.QueueStatus(statuses);
    EXPECT_FALSE(Run());
    EXPECT_EQ(recorder.Last("step"), "Erase Flash Fail");
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 81 0040"), 0);
    EXPECT_EQ(rig.Instructions().back(), (std::vector<std::uint8_t>{0x01, 0xFF}));
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 85"), 1);
}

TEST_F(AutoUpdate, CheckBoxesAreReadWhenTheirStepComesUp) {
    host.onReload = [] {};
    // Verify unticked while an earlier step runs: the run skips the verify.
    rig.SetReadHook([this](std::uint32_t, std::span<std::uint8_t>) {
        host.ticked[AutoOption::Verify] = false;
        return true;
    });
    EXPECT_TRUE(Run());
    EXPECT_EQ(recorder.Last("step"), "Programming Success");
}

// Ranges the edits could once wrap round to the boot area: each is refused
// before a sector is erased or a block read or written, and the run still
// protects the flash and leaves ISP mode.
// The part's ID is one whose size is not known, so that only the 24-bit
// address space bounds the range.
class AutoUpdateBeyondTheFlash : public AutoUpdate {
protected:
    AutoUpdateBeyondTheFlash() {
        host.wholeFlash = false;
        rig.SetChipId({0x1F, 0x45, 0x01});
    }

    void ExpectNothingErasedReadOrWritten() {
        const Lines& lines = rig.Lines();
        EXPECT_EQ(CountStartingWith(lines, "43 80 0000 0001 4 20"), 0) << "sector erase";
        EXPECT_EQ(CountStartingWith(lines, "43 81 0040"), 0) << "block read";
        EXPECT_EQ(CountStartingWith(lines, "43 80 0000 0000 4 02"), 0) << "page program";
        EXPECT_EQ(recorder.Last("step"), "Range reaches past the 16 MiB flash: nothing done");
        EXPECT_EQ(rig.Instructions().back(), (std::vector<std::uint8_t>{0x01, 0xFF}));
        EXPECT_EQ(CountStartingWith(lines, "43 85"), 1);
    }
};

TEST_F(AutoUpdateBeyondTheFlash, AStartOfFourGibibytesDoesNotWrapToZero) {
    host.startText = "4194304";
    EXPECT_FALSE(Run());
    EXPECT_EQ(state.rangeStart, 0x100000000u);
    ExpectNothingErasedReadOrWritten();
}

TEST_F(AutoUpdateBeyondTheFlash, ANegativeSizeQueuesNoSectorErase) {
    host.sizeText = "-4";
    EXPECT_FALSE(Run());
    EXPECT_EQ(state.rangeSize, std::uint64_t{0xFFFFFFFC} * 1024);
    ExpectNothingErasedReadOrWritten();
}

TEST_F(AutoUpdateBeyondTheFlash, AnImagePastTheTopOfTheFlashIsNeitherCheckedNorWritten) {
    host.TickOnly({AutoOption::Blank, AutoOption::Program, AutoOption::Verify, AutoOption::Protect,
                   AutoOption::IspMode});
    host.startText = "16384";  // the edits' limit; the image starts right past the flash
    EXPECT_FALSE(Run());
    ExpectNothingErasedReadOrWritten();
    EXPECT_EQ(recorder.To("step"),
              (std::vector<std::string>{"Enter ISP Mode", "Start Blanking Check",
                                        "Range reaches past the 16 MiB flash: nothing done"}));
}

}  // namespace
}  // namespace flash_test
