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
    EXPECT_TRUE(rig.In(chip::kRequestFlashFetch, 0, 0, id)) << "a short answer is no failure";
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

}  // namespace
