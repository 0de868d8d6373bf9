#include "flash/flash_status.h"

#include <gtest/gtest.h>

#include "fake_flash_rig.h"
#include "flash/flash_profile.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

const std::string kStatusInstruction = "43 81 0001 0001 1 05 ok";

TEST(WaitNotBusy, StopsAtTheFirstClearBusyBitAfterOneMillisecondPerBusyRead) {
    FakeFlashRig rig;
    rig.Link().OpenDevice();
    rig.ClearTrace();
    rig.QueueStatus({0x03, 0x01});
    EXPECT_TRUE(flash::WaitNotBusy(rig.Link()));
    Lines expected = StatusReadLines(0x03);
    expected.push_back(SleepLine(1));
    Append(expected, StatusReadLines(0x01));
    expected.push_back(SleepLine(1));
    Append(expected, StatusReadLines(0x00));
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

TEST(WaitNotBusy, GivesUpAfter101BusyReads) {
    FakeFlashRig rig;
    rig.Link().OpenDevice();
    rig.SetStatus(0x01);
    EXPECT_FALSE(flash::WaitNotBusy(rig.Link()));
    EXPECT_EQ(rig.StatusReads(), 101);
    EXPECT_EQ(rig.SleptMs(), 101u);
}

TEST(WaitNotBusy, AnUnanswerableStatusLooksBusy) {
    FakeFlashRig rig;  // never opened: every request fails, every status is 0xFF
    EXPECT_FALSE(flash::WaitNotBusy(rig.Link()));
    EXPECT_EQ(CountOf(rig.Lines(), "43 81 0001 0001 1 05 fail"), 101);
}

TEST(WaitWhileFlashBusy, GivesUpAfter1000BusyReadsTenMillisecondsApart) {
    FakeFlashRig rig;
    rig.Link().OpenDevice();
    rig.SetStatus(0x01);
    EXPECT_FALSE(flash::WaitWhileFlashBusy(rig.Link()));
    EXPECT_EQ(rig.StatusReads(), 1000);
    EXPECT_EQ(CountOf(rig.Lines(), SleepLine(10)), 1000);
}

TEST(StatusSteps, ClearingReadsThenWritesZeroAfterWriteEnable) {
    FakeFlashRig rig;
    rig.Link().OpenDevice();
    rig.ClearTrace();
    EXPECT_FALSE(flash::ClearStatusRegister(rig.Link()).has_value());
    Lines expected = StatusReadLines(0x00);
    Append(expected, {InstructionLine({0x06}), InstructionLine({0x01, 0x00})});
    Append(expected, StatusReadLines(0x00));
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

TEST(StatusSteps, ProtectionIsReadBack) {
    FakeFlashRig rig;
    rig.Link().OpenDevice();
    EXPECT_TRUE(flash::WriteProtection(rig.Link(), flash::ProfileFor({0xEF, 0x40, 0x14})));
    rig.QueueStatus({0x00});  // the write did not take
    EXPECT_FALSE(flash::WriteProtection(rig.Link(), flash::ProfileFor({0xEF, 0x40, 0x14})));
}

TEST(StatusSteps, ProtectionFollowsTheProfile) {
    FakeFlashRig rig;
    rig.Link().OpenDevice();
    flash::WriteProtection(rig.Link(), flash::ProfileFor({0xBF, 0x25, 0x41}));
    flash::WriteProtection(rig.Link(), flash::ProfileFor({0xC2, 0x22, 0x11}));
    flash::WriteProtection(rig.Link(), flash::ProfileFor({0xEF, 0x40, 0x14}));
    const std::vector<std::vector<std::uint8_t>> expected = {
        {0x06}, {0x01, 0x7F}, {0x06}, {0x01, 0xFF}, {0x06}, {0x01, 0xFF}};
    EXPECT_EQ(rig.Instructions(), expected);
}

}  // namespace
}  // namespace flash_test
