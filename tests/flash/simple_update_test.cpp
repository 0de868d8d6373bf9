#include "flash/simple_update.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chip/registers.h"
#include "fake_flash_rig.h"
#include "flash/flash_state.h"
#include "progress_recorder.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

constexpr std::uint32_t kImageLength = 0x100;

class SimpleUpdate : public ::testing::Test {
protected:
    SimpleUpdate() : buffer(0x40000, 0xFF) {
        for (std::uint32_t i = 0; i < kImageLength; ++i)
            buffer[i] = static_cast<std::uint8_t>(i);
    }

    flash::UpdateResult Run() {
        return flash::RunSimpleUpdate(rig.Link(), {buffer, kImageLength}, state, recorder,
                                      recorder);
    }

    FakeFlashRig rig;
    std::vector<std::uint8_t> buffer;
    flash::FlashState state;
    ProgressRecorder recorder;
};

// The whole one-button run on an idle 256-byte-page flash, request by request.
TEST_F(SimpleUpdate, SendsExactlyTheOneButtonSequence) {
    const std::vector<std::uint8_t> erased(64, 0xFF);
    const std::vector<std::uint8_t> image(buffer.begin(), buffer.begin() + kImageLength);
    Lines expected = {"open ok"};
    Append(expected, IspEnterLines());
    Append(expected, PrepareLines());
    Append(expected, StatusReadLines(0x00));
    Append(expected, {InstructionLine({0x06}), InstructionLine({0x01, 0x00})});
    Append(expected, StatusReadLines(0x00));
    Append(expected, {InstructionLine({0x06}), InstructionLine({0xC7}), SleepLine(10)});
    Append(expected, StatusReadLines(0x00));
    Append(expected, {"close", "open ok"});
    for (std::uint32_t a = 0; a <= kImageLength; a += 64)
        Append(expected, BlockReadLines(a, erased));
    Append(expected, StatusReadLines(0x00));
    Append(expected,
           {InstructionLine({0x06}), "43 80 0000 0000 4 02000000 ok",
            "43 80 0000 0001 256 " + Hex(image) + " ok", SleepLine(1), "c3 83 0000 0000 1 01 ok"});
    Append(expected, StatusReadLines(0x00));  // the last page has finished
    for (std::uint32_t a = 0; a < kImageLength; a += 64) {
        Append(expected, BlockReadLines(a, {image.begin() + a, image.begin() + a + 64}));
    }
    Append(expected, BlockReadLines(kImageLength, erased));
    Append(expected, {InstructionLine({0x06}), InstructionLine({0x01, 0xFF})});
    Append(expected, StatusReadLines(0xFC));  // the protection reads back
    Append(expected, IspLeaveLines());
    expected.push_back("close");

    const flash::UpdateResult result = Run();
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(result.failedStep.has_value());
}

// Pages that take 3 ms, the most a W25-class part takes: the verify must
// meet a flash that has finished the last one.
TEST_F(SimpleUpdate, SlowPageProgramsStillVerify) {
    rig.SetProgramTimeUs(3000);
    const flash::UpdateResult result = Run();
    EXPECT_TRUE(result.succeeded) << flash::FailureCause(result);
}

// A part left in word-programming mode answers FF FF FF until a write
// disable ends that mode; a part that still answers so is not erased.
TEST_F(SimpleUpdate, AFlashNotIdentifiedStopsTheRunBeforeAnythingIsErased) {
    rig.SetChipId({0xFF, 0xFF, 0xFF});
    rig.Memory()[0] = 0x12;
    const flash::UpdateResult result = Run();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Identify);
    EXPECT_EQ(result.failure.cause, "flash not identified (chip ID FF FF FF)");
    EXPECT_EQ(rig.Instructions(), (std::vector<std::vector<std::uint8_t>>{{0x04}}));
    EXPECT_EQ(rig.Memory()[0], 0x12);
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 85"), 1) << "the chip goes back to its firmware";
    EXPECT_EQ(rig.Lines().back(), "close");
}

// A part still busy (with an erase an interrupted run left running, say)
// ignores everything but status reads. The run waits for it as long as the
// slowest whole-chip erase takes and, when it stays busy, stops there.
TEST_F(SimpleUpdate, AFlashThatStaysBusyStopsTheRunBeforeAnythingIsErased) {
    rig.SetStatus(0x03);
    rig.Memory()[0] = 0x12;
    const flash::UpdateResult result = Run();
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Identify);
    EXPECT_EQ(result.failure.cause,
              "the flash stayed busy for 6 s, longer than a whole-chip erase takes");
    EXPECT_EQ(rig.StatusReads(), 601);
    EXPECT_EQ(rig.SleptMs(), 601u * 10);
    EXPECT_EQ(rig.Instructions(), (std::vector<std::vector<std::uint8_t>>{{0x04}}));
    EXPECT_EQ(rig.Memory()[0], 0x12);
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 85"), 1) << "the chip goes back to its firmware";
    EXPECT_EQ(recorder.Last("panel"),
              "Stopped: the flash stayed busy for 6 s, longer than a whole-chip erase takes; "
              "nothing was changed");
}

// The link keeps the error of the last request that failed, whichever it
// was; an engine that never has the ID ready fails no request, and the cause
// must say so rather than repeat an older error.
TEST_F(SimpleUpdate, AFailedIdentificationGivesItsOwnCause) {
    ASSERT_FALSE(chip::FlashReady(rig.Link()));  // sent before the device is open
    ASSERT_EQ(rig.Link().LastRequestError(), "no open handle");
    std::vector<std::uint8_t> ready = {0x01};  // the status read before the ID read
    ready.insert(ready.end(), 100, 0x00);
    rig.QueueReady(ready);
    const flash::UpdateResult result = Run();
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Identify);
    EXPECT_EQ(result.failure.cause,
              "flash not identified (the identification read failed: the reply was not ready "
              "after 100 checks)");
}

// The write-protect pin held: the status write does not take, and the erase
// would be refused by the part.
TEST_F(SimpleUpdate, AProtectionThatStaysStopsTheRunBeforeTheErase) {
    rig.SetStatus(0x9C);
    rig.QueueStatus({0x9C, 0x9C, 0x9C});  // idle; before and after the write of 0x00
    const flash::UpdateResult result = Run();
    EXPECT_EQ(result.failedStep, flash::UpdateStep::ClearStatus);
    EXPECT_EQ(result.failure.cause, "the flash is write-protected");
    EXPECT_EQ(CountOf(rig.Lines(), InstructionLine({0xC7})), 0);
    EXPECT_EQ(recorder.Last("panel"), "Stopped: the flash is write-protected; nothing was changed");
}

TEST_F(SimpleUpdate, WaitsForTheProductAfterLeavingIspMode) {
    int asked = 0;
    const flash::UpdateResult back =
        flash::RunSimpleUpdate(rig.Link(), {buffer, kImageLength}, state, recorder, recorder,
                               [&asked] { return ++asked == 3; });
    EXPECT_TRUE(back.succeeded);
    EXPECT_FALSE(back.deviceNotBack);
    EXPECT_EQ(asked, 3);

    rig.ClearTrace();
    const flash::UpdateResult gone = flash::RunSimpleUpdate(
        rig.Link(), {buffer, kImageLength}, state, recorder, recorder, [] { return false; });
    EXPECT_TRUE(gone.succeeded);
    EXPECT_TRUE(flash::NotRestarted(gone));
    EXPECT_EQ(CountOf(rig.Lines(), SleepLine(100)), 100) << "ten seconds at most";
}

TEST_F(SimpleUpdate, WorksAtImageOffsetZeroWhateverTheRangeStartHolds) {
    state.rangeStart = 0x10000;
    EXPECT_TRUE(Run().succeeded);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + kImageLength, rig.Memory().begin()));
}

TEST_F(SimpleUpdate, ShareOfTheWholeUpdateRisesToOne) {
    Run();
    ASSERT_FALSE(recorder.shares.empty());
    EXPECT_DOUBLE_EQ(recorder.shares.front(), 0.0);
    EXPECT_DOUBLE_EQ(recorder.shares.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(recorder.shares.begin(), recorder.shares.end()));
}

TEST_F(SimpleUpdate, EraseDotsGoToThePanelLineOnly) {
    std::vector<std::uint8_t> statuses = {0x00, 0x00, 0x00};  // idle, and the status clearing
    statuses.insert(statuses.end(), 20, 0x01);                // erase polls 0 to 19 busy
    rig.QueueStatus(statuses);
    EXPECT_TRUE(Run().succeeded);
    std::vector<std::string> dots;
    for (const std::string& text : recorder.To("panel")) {
        if (text.starts_with("Flash Erase All"))
            dots.push_back(text);
    }
    std::vector<std::string> expected(1 + 20, "Flash Erase All ");
    expected.push_back("Flash Erase All .");  // poll 20, the first not busy
    EXPECT_EQ(dots, expected);
    EXPECT_TRUE(recorder.To("sr").empty());
    for (const std::string& text : recorder.To("step"))
        EXPECT_FALSE(text.starts_with("Flash Erase All")) << text;
}

}  // namespace
}  // namespace flash_test
