#include "chip/param_commands.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "chip_test_rig.h"

namespace chip_test {
namespace {

TEST(ParamAccess, ReadSelectorPollsThenReadsTheDataRegisters) {
    ChipRig rig(/*open=*/false);
    rig.QueueRegister(0x90, {0x10, 0x10, 0xEE});
    rig.QueueRegister(0x93, {0x01});
    rig.QueueRegister(0x94, {0x02});
    rig.QueueRegister(0x95, {0x03});
    rig.QueueRegister(0x96, {0x04});
    std::array<std::uint8_t, 4> data{};
    EXPECT_TRUE(chip::ParamAccess(rig.Link(), 0x10, 0x21, 0x00, 4, data.data()));
    EXPECT_EQ(data, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_TRUE(TraceIs(
        rig.Lines(),
        {"open ok", RegWriteLine(0x00, 0x00), RegWriteLine(0x91, 0x21), RegWriteLine(0x92, 0x00),
         RegWriteLine(0x90, 0x10), SleepLine(10), RegReadLine(0x90, 0x10), SleepLine(10),
         RegReadLine(0x90, 0x10), SleepLine(10), RegReadLine(0x90, 0xEE), RegReadLine(0x93, 0x01),
         RegReadLine(0x94, 0x02), RegReadLine(0x95, 0x03), RegReadLine(0x96, 0x04), "close"}));
    EXPECT_FALSE(rig.Link().HasOpenHandle());
}

TEST(ParamAccess, WriteSelectorFillsTheDataBeforeStartingAndClearsTheCommandAfter) {
    ChipRig rig(/*open=*/false);
    rig.SetRegister(0x90, 0xEE);
    std::array<std::uint8_t, 4> data{0xA1, 0xB2, 0xC3, 0xD4};
    EXPECT_TRUE(chip::ParamAccess(rig.Link(), 0x10, 0x20, 0x00, 4, data.data()));
    EXPECT_TRUE(TraceIs(
        rig.Lines(), {"open ok", RegWriteLine(0x00, 0x00), RegWriteLine(0x93, 0xA1),
                      RegWriteLine(0x94, 0xB2), RegWriteLine(0x95, 0xC3), RegWriteLine(0x96, 0xD4),
                      RegWriteLine(0x91, 0x20), RegWriteLine(0x92, 0x00), RegWriteLine(0x90, 0x10),
                      SleepLine(10), RegReadLine(0x90, 0xEE), RegWriteLine(0x90, 0x00), "close"}));
}

TEST(ParamAccess, CompletionThatNeverComesFailsAfterTwentyPollsAndReadsNothing) {
    ChipRig rig(/*open=*/false);
    rig.SetRegister(0x90, 0x10);
    rig.SetRegister(0x93, 0x55);
    std::array<std::uint8_t, 1> data{0x77};
    EXPECT_FALSE(chip::ParamAccess(rig.Link(), 0x10, 0x21, 0x02, 1, data.data()));
    EXPECT_EQ(data[0], 0x77) << "the data register holds nothing of this request";

    std::vector<std::string> expected{"open ok", RegWriteLine(0x00, 0x00), RegWriteLine(0x91, 0x21),
                                      RegWriteLine(0x92, 0x02), RegWriteLine(0x90, 0x10)};
    for (int i = 0; i < 20; ++i) {
        expected.push_back(SleepLine(10));
        expected.push_back(RegReadLine(0x90, 0x10));
    }
    expected.push_back("close");
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_EQ(rig.SleptMs(), 200u);
}

TEST(ParamAccess, WriteWithoutCompletionFailsAndStillIdlesTheMailbox) {
    ChipRig rig(/*open=*/false);
    rig.SetRegister(0x90, 0x10);
    std::array<std::uint8_t, 4> data{0xA1, 0, 0, 0};
    EXPECT_FALSE(chip::ParamAccess(rig.Link(), 0x10, 0x20, 0x00, 4, data.data()));
    const auto& lines = rig.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], RegWriteLine(0x90, 0x00));
}

TEST(ParamAccess, AFailedDataReadHandsOutNoneOfTheBytes) {
    ChipRig rig(/*open=*/false);
    rig.SetRegister(0x90, 0xEE);
    rig.SetRegister(0x93, 0x11);
    rig.FailRequest(7);  // the read of register 0x94
    std::array<std::uint8_t, 2> data{0x77, 0x77};
    EXPECT_FALSE(chip::ParamAccess(rig.Link(), 0x10, 0x21, 0x00, 2, data.data()));
    EXPECT_EQ(data, (std::array<std::uint8_t, 2>{0x77, 0x77}));
}

TEST(ParamAccess, MoreThanEightDataBytesAreRefusedWithoutOpening) {
    ChipRig rig(/*open=*/false);
    const int opensBefore = rig.OpenCount();
    std::array<std::uint8_t, 9> data{};
    EXPECT_FALSE(chip::ParamAccess(rig.Link(), 0x10, 0x10, 0x00, 9, data.data()));
    EXPECT_FALSE(chip::ParamAccess(rig.Link(), 0x10, 0x11, 0x00, 1, nullptr));
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(rig.OpenCount(), opensBefore);
}

TEST(ParamAccess, EightDataBytesReachRegister9A) {
    ChipRig rig(/*open=*/false);
    rig.SetRegister(0x90, 0xEE);
    std::array<std::uint8_t, 8> data{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_TRUE(chip::ParamAccess(rig.Link(), 0x10, 0x10, 0x03, 8, data.data()));
    EXPECT_EQ(rig.Lines()[9], RegWriteLine(0x9A, 0x08));
}

}  // namespace
}  // namespace chip_test
