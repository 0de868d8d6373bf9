#include "sim/fault_plan.h"

#include <gtest/gtest.h>

#include "chip/flash_commands.h"
#include "chip/request_codes.h"
#include "sim_rig.h"

namespace {

using sim_test::Addressed;
using sim_test::SimRig;
using sim_test::W25Product;

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Connect());
        ASSERT_TRUE(rig.EnterIsp());
    }

    SimRig rig{W25Product()};
};

TEST_F(FaultTest, FailRequestStallsThatOneRequest) {
    sim::FaultPlan plan;
    plan.failRequest = 2;
    rig.bus.SetFaultPlan(plan);
    EXPECT_TRUE(rig.WriteReg(0x30, 1));
    EXPECT_FALSE(rig.WriteReg(0x31, 2));
    EXPECT_TRUE(rig.WriteReg(0x32, 3));
    EXPECT_EQ(rig.chip->Register(0, 0x31), 0x00) << "the chip never saw it";
    EXPECT_EQ(rig.chip->Register(0, 0x32), 0x03);
}

TEST_F(FaultTest, UnplugAtRequestTakesTheDeviceAway) {
    sim::FaultPlan plan;
    plan.unplugAtRequest = 2;
    rig.bus.SetFaultPlan(plan);
    EXPECT_TRUE(rig.WriteEnable());
    EXPECT_FALSE(rig.Instruction({chip::kFlashChipErase}));
    EXPECT_EQ(rig.bus.DeviceAt("1-2"), nullptr);
    EXPECT_FALSE(rig.WriteEnable());
    EXPECT_FALSE(rig.link.CheckDevice());
    EXPECT_FALSE(rig.link.OpenDevice());
}

TEST_F(FaultTest, ShortReplyLeavesTheRestOfTheBufferAlone) {
    ASSERT_TRUE(rig.Out(chip::kRequestFlashReadBackInstruction, 3, 1, {chip::kFlashReadId}));
    rig.clock.SleepMs(1);
    std::vector<std::uint8_t> ready(1, 0);
    ASSERT_TRUE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    sim::FaultPlan plan;
    plan.shortReplies = sim::FaultPlan::ShortReplies{1, 1, 1};
    rig.bus.SetFaultPlan(plan);
    std::vector<std::uint8_t> id(3, 0xAA);
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, id)) << "the link fails a short answer";
    EXPECT_EQ(id, (std::vector<std::uint8_t>{0xEF, 0xAA, 0xAA}));
    EXPECT_EQ(rig.ReadBack({chip::kFlashReadId}, 3), (std::vector<std::uint8_t>{0xEF, 0x40, 0x14}))
        << "only one reply was cut";
}

TEST_F(FaultTest, PassThroughThatNeverGetsReadyEndsThePolls) {
    sim::FaultPlan plan;
    plan.passThroughNeverReadyAfter = 1;
    rig.bus.SetFaultPlan(plan);
    chip::ChipIdBytes id{};
    EXPECT_TRUE(chip::FlashReadId(rig.link, id));
    EXPECT_EQ(id, (chip::ChipIdBytes{0xEF, 0x40, 0x14}));
    id = {1, 2, 3};
    EXPECT_FALSE(chip::FlashReadId(rig.link, id));
    EXPECT_EQ(id, (chip::ChipIdBytes{1, 2, 3}));
    EXPECT_EQ(chip::FlashReadStatus(rig.link), 0xFF);

    rig.bus.ClearFaultPlan();
    EXPECT_TRUE(chip::FlashReadId(rig.link, id));
}

TEST_F(FaultTest, FlashStuckBusyNeverFinishesItsOperation) {
    sim::FaultPlan plan;
    plan.flashStuckBusyAfter = 1;  // the status write finishes, the erase does not
    rig.bus.SetFaultPlan(plan);
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Instruction({chip::kFlashWriteStatus, 0x00}));
    ASSERT_TRUE(rig.WaitNotBusy());
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Instruction({chip::kFlashChipErase}));
    const std::uint64_t start = rig.clock.NowUs();
    EXPECT_FALSE(rig.WaitNotBusy(20000));
    EXPECT_GE(rig.clock.NowUs() - start, 20'000'000u);
    EXPECT_NE(rig.chip->Flash().Contents()[0], 0xFF) << "nothing was erased";
}

TEST_F(FaultTest, CorruptReadsFlipTheByteForTheNextReadsThatCoverIt) {
    const std::uint8_t stored = rig.chip->Flash().Contents()[0x50];
    sim::FaultPlan plan;
    plan.corruptReads = sim::FaultPlan::CorruptReads{0x50, 0x80, 2};
    rig.bus.SetFaultPlan(plan);
    EXPECT_EQ(rig.FlashRead(0x00, 64).value()[0x10], rig.chip->Flash().Contents()[0x10])
        << "a read that misses the address uses up nothing";
    EXPECT_EQ(rig.FlashRead(0x40, 64).value()[0x10], stored ^ 0x80);
    EXPECT_EQ(rig.FlashRead(0x4F, 2).value()[1], stored ^ 0x80);
    EXPECT_EQ(rig.FlashRead(0x40, 64).value()[0x10], stored);
    EXPECT_EQ(rig.chip->Flash().Contents()[0x50], stored);
}

TEST_F(FaultTest, PlanReachesDevicesPluggedLater) {
    sim::FaultPlan plan;
    plan.passThroughNeverReadyAfter = 0;
    rig.bus.SetFaultPlan(plan);
    sim::ProductConfig bare = W25Product();
    bare.blankFlash = true;
    bare.location = "1-3";
    const auto other = sim::PlugProduct(rig.bus, bare, rig.clock);
    ASSERT_TRUE(other->InIspMode());
    EXPECT_FALSE(other->Engine().IsReady(rig.clock.NowUs() + 1'000'000));
}

// The chip restarts by its boot rule with what its flash holds: here the
// firmware's head was erased, so it comes back as the bare chip in ISP mode.
TEST_F(FaultTest, PowerLossRestartsTheChipWithWhatItsFlashHolds) {
    rig.chip->Flash().SetStatusBits(0x00);
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Instruction(Addressed(chip::kFlashSectorErase, 0x0000)));
    ASSERT_TRUE(rig.WaitNotBusy());
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Instruction(Addressed(chip::kFlashPageProgram, 0x2000, {0x00})));
    ASSERT_TRUE(rig.WaitNotBusy());
    ASSERT_TRUE(rig.WriteEnable());
    sim::FaultPlan plan;
    plan.powerLossAtRequest = 2;
    rig.bus.SetFaultPlan(plan);
    EXPECT_TRUE(rig.WriteReg(0x30, 1));
    EXPECT_FALSE(rig.WriteReg(0x31, 2)) << "the power went before the answer";
    EXPECT_EQ(rig.chip->Boots(), 2u);
    EXPECT_EQ(rig.chip->Identity(), (sim::UsbIdentity{sim::kIspVidQuorvex, sim::kIspPid, false}));
    EXPECT_EQ(rig.bus.DeviceAt("1-2"), rig.chip.get()) << "back at its place";
    EXPECT_EQ(rig.chip->Flash().Contents()[0x2000], 0x00) << "what was written stays";
    EXPECT_EQ(rig.chip->Flash().Contents()[0x0000], 0xFF);
    EXPECT_EQ(rig.chip->Flash().StatusRegister(rig.clock.NowUs()), 0x00) << "the latch is gone";
    EXPECT_FALSE(rig.chip->PassThroughOpen());
    EXPECT_FALSE(rig.WriteReg(0x32, 3)) << "the handle died with the power";
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.ReadReg(0x30), 0x00) << "registers are volatile";
}

TEST_F(FaultTest, StuckBusyFromItsRequestOn) {
    sim::FaultPlan plan;
    plan.stuckBusyAtRequest = 4;  // the second status read's instruction
    rig.bus.SetFaultPlan(plan);
    EXPECT_EQ(rig.FlashStatus(), 0xFC);
    EXPECT_FALSE(rig.WaitNotBusy(50));
    EXPECT_TRUE(rig.chip->Flash().IsBusy(rig.clock.NowUs()));
}

TEST_F(FaultTest, NeverReadyFromItsRequestOn) {
    sim::FaultPlan plan;
    plan.neverReadyAtRequest = 4;
    rig.bus.SetFaultPlan(plan);
    EXPECT_TRUE(rig.FlashStatus());
    EXPECT_FALSE(rig.FlashStatus());
    EXPECT_FALSE(rig.chip->Engine().IsReady(rig.clock.NowUs() + 1'000'000));
}

TEST_F(FaultTest, CorruptReadsFromItsRequestOn) {
    const std::uint8_t stored = rig.chip->Flash().Contents()[0x40];
    sim::FaultPlan plan;
    plan.corruptReadsFromRequest = 4;
    rig.bus.SetFaultPlan(plan);
    EXPECT_EQ(rig.FlashRead(0x40, 2).value()[0], stored);
    EXPECT_EQ(rig.FlashRead(0x40, 2).value()[0], stored ^ 0x01);
    EXPECT_EQ(rig.FlashRead(0x40, 2).value()[0], stored ^ 0x01) << "every later read";
    EXPECT_EQ(rig.chip->Flash().Contents()[0x40], stored);
}

TEST_F(FaultTest, HalfShortRepliesDeliverHalfOfWhatWasAsked) {
    sim::FaultPlan plan;
    plan.shortReplies = sim::FaultPlan::ShortReplies{};
    plan.shortReplies->half = true;
    plan.shortReplies->fromRequest = 3;
    rig.bus.SetFaultPlan(plan);
    ASSERT_TRUE(rig.Out(chip::kRequestFlashReadBackInstruction, 8, 1, Addressed(0x03, 0x40)));
    std::vector<std::uint8_t> ready(1, 0);
    ASSERT_TRUE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    std::vector<std::uint8_t> data(8, 0xAA);
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, data)) << "the link fails a short answer";
    const auto flash = rig.chip->Flash().Contents();
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 4, flash.begin() + 0x40));
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + 4, data.end()),
              std::vector<std::uint8_t>(4, 0xAA));
    ready[0] = 0xAA;
    EXPECT_FALSE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    EXPECT_EQ(ready[0], 0xAA) << "a one-byte answer delivers nothing";
}

}  // namespace
