#include <gtest/gtest.h>

#include <array>

#include "chip/flash_commands.h"
#include "chip/request_codes.h"
#include "sim/pass_through_engine.h"
#include "sim_rig.h"

namespace {

using sim_test::Addressed;
using sim_test::SimRig;
using sim_test::W25Product;

class PassThroughTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.Connect()); }

    SimRig rig{W25Product()};
};

TEST_F(PassThroughTest, IspModeNeedsTheExactKeys) {
    EXPECT_FALSE(rig.Out(chip::kRequestEnterIsp, 0x3B93, chip::kEnterIspIndex));
    EXPECT_FALSE(rig.Out(chip::kRequestEnterIsp, chip::kEnterIspValue, 0x4E70));
    EXPECT_FALSE(rig.Out(chip::kRequestEnterIsp, chip::kLeaveIspValue, chip::kLeaveIspIndex));
    EXPECT_FALSE(rig.chip->InIspMode());

    EXPECT_TRUE(rig.EnterIsp());
    EXPECT_TRUE(rig.chip->InIspMode());
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(0)) << "entering does not re-enumerate";

    EXPECT_FALSE(rig.Out(chip::kRequestLeaveIsp, chip::kEnterIspValue, chip::kEnterIspIndex));
    EXPECT_TRUE(rig.chip->InIspMode());
}

TEST_F(PassThroughTest, OpensOnlyAfterTheKeyAndBothControlWrites) {
    rig.chip->Flash().SetStatusBits(0x00);
    ASSERT_TRUE(rig.Out(chip::kRequestEnterIsp, chip::kEnterIspValue, chip::kEnterIspIndex));
    ASSERT_TRUE(rig.chip->InIspMode());
    EXPECT_FALSE(rig.WriteEnable()) << "the key alone";
    ASSERT_TRUE(rig.WriteReg(0x00, 0x0D));
    ASSERT_TRUE(rig.WriteReg(0x07, 0x10));
    EXPECT_FALSE(rig.WriteEnable()) << "one of the two control writes";
    ASSERT_TRUE(rig.WriteReg(0x01, 0x03));
    EXPECT_TRUE(rig.WriteEnable());
    EXPECT_TRUE(rig.chip->PassThroughOpen());

    // The control write of leaving, without the leave key: the port closes,
    // but the chip stays in ISP mode under the same identity.
    ASSERT_TRUE(rig.WriteReg(0x07, 0x00));
    EXPECT_FALSE(rig.WriteEnable());
    EXPECT_TRUE(rig.chip->InIspMode());
    EXPECT_EQ(rig.chip->Boots(), 1u);
    ASSERT_TRUE(rig.LeaveIsp());
    EXPECT_EQ(rig.chip->Boots(), 2u) << "only the leave key restarts the chip";
}

TEST_F(PassThroughTest, RefusedOutsideIspMode) {
    rig.chip->Flash().SetStatusBits(0x00);
    std::vector<std::uint8_t> one(1, 0xAA);
    EXPECT_FALSE(rig.Instruction({0x06}));
    EXPECT_FALSE(rig.Out(chip::kRequestFlashReadBackInstruction, 3, 1, {0x9F}));
    EXPECT_FALSE(rig.In(chip::kRequestFlashReady, 0, 0, one));
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, one));
    EXPECT_EQ(one[0], 0xAA);
    EXPECT_EQ(rig.chip->Flash().StatusRegister(rig.clock.NowUs()), 0x00);
    EXPECT_EQ(rig.chip->Engine().InstructionsRun(), 0u);
}

TEST_F(PassThroughTest, InstructionGathersOverRequestsUntilIndexOne) {
    ASSERT_TRUE(rig.EnterIsp());
    rig.chip->Flash().SetStatusBits(0x00);
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Out(chip::kRequestFlashInstruction, 0, 0, Addressed(0x02, 0x81234)));
    EXPECT_EQ(rig.chip->Engine().InstructionsRun(), 1u) << "the header alone runs nothing";
    ASSERT_TRUE(rig.Out(chip::kRequestFlashInstruction, 0, 1, {0x5A, 0xA5}));
    ASSERT_TRUE(rig.WaitNotBusy());
    EXPECT_EQ(rig.FlashRead(0x81233, 4), (std::vector<std::uint8_t>{0xFF, 0x5A, 0xA5, 0xFF}));
}

TEST_F(PassThroughTest, MalformedPassThroughRequestsStall) {
    ASSERT_TRUE(rig.EnterIsp());
    std::vector<std::uint8_t> big(257, 0);
    EXPECT_FALSE(rig.Out(chip::kRequestFlashInstruction, 0, 2, {0x06}));
    EXPECT_FALSE(rig.Out(chip::kRequestFlashInstruction, 1, 1, {0x06}));
    EXPECT_FALSE(rig.Out(chip::kRequestFlashReadBackInstruction, 3, 0, {0x9F}));
    EXPECT_FALSE(rig.Out(chip::kRequestFlashReadBackInstruction, 257, 1, {0x9F}));
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, big));
    EXPECT_FALSE(rig.Out(chip::kRequestFlashInstruction, 0, 1, {}));
    EXPECT_EQ(rig.chip->Engine().InstructionsRun(), 0u);
}

TEST_F(PassThroughTest, FetchIsStalledUntilTheEngineIsReady) {
    ASSERT_TRUE(rig.EnterIsp());
    rig.bus.SetLatencyUs(0);
    std::vector<std::uint8_t> ready(1, 0xAA);
    std::vector<std::uint8_t> id(3, 0xAA);
    ASSERT_TRUE(rig.Out(chip::kRequestFlashReadBackInstruction, 3, 1, {0x9F}));
    ASSERT_TRUE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    EXPECT_EQ(ready[0], 0);
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, id)) << "nothing released yet";
    EXPECT_EQ(id, (std::vector<std::uint8_t>{0xAA, 0xAA, 0xAA}));

    rig.clock.AdvanceUs(sim::PassThroughEngine::kPickupUs + 10);
    ASSERT_TRUE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    EXPECT_EQ(ready[0], 1);
    ASSERT_TRUE(rig.In(chip::kRequestFlashFetch, 0, 0, id));
    EXPECT_EQ(id, (std::vector<std::uint8_t>{0xEF, 0x40, 0x14}));
}

TEST_F(PassThroughTest, ClockingTimeGrowsWithTheInstruction) {
    ASSERT_TRUE(rig.EnterIsp());
    rig.bus.SetLatencyUs(0);
    const std::uint64_t start = rig.clock.NowUs();
    ASSERT_TRUE(rig.Out(chip::kRequestFlashInstruction, 0, 0, Addressed(0x02, 0x0)));
    ASSERT_TRUE(rig.Instruction(std::vector<std::uint8_t>(256, 0x00)));
    const std::uint64_t busyUs =
        sim::PassThroughEngine::kPickupUs + (260 * sim::PassThroughEngine::kNsPerByte + 999) / 1000;
    EXPECT_FALSE(rig.chip->Engine().IsReady(start + busyUs - 1));
    EXPECT_TRUE(rig.chip->Engine().IsReady(start + busyUs));
}

// A host that fetches without asking for ready gets nothing, however long
// it waited, and a reply is handed out once: a fetch after a read-back
// instruction that never arrived cannot return the previous reply.
TEST_F(PassThroughTest, OnlyAReadyAnswerReleasesAReplyAndOnlyOnce) {
    ASSERT_TRUE(rig.EnterIsp());
    std::vector<std::uint8_t> status(1, 0xAA);
    ASSERT_TRUE(rig.Out(chip::kRequestFlashReadBackInstruction, 1, 1, {0x05}));
    rig.clock.SleepMs(1);
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, status));
    EXPECT_EQ(status[0], 0xAA);

    std::vector<std::uint8_t> ready(1, 0);
    ASSERT_TRUE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    ASSERT_EQ(ready[0], 1) << "ready at the first poll on high-speed USB";
    EXPECT_TRUE(rig.In(chip::kRequestFlashFetch, 0, 0, status));
    EXPECT_EQ(status[0], rig.chip->Flash().StatusRegister(rig.clock.NowUs()));

    status[0] = 0xAA;
    ASSERT_TRUE(rig.In(chip::kRequestFlashReady, 0, 0, ready));
    EXPECT_FALSE(rig.In(chip::kRequestFlashFetch, 0, 0, status)) << "the same reply again";
    EXPECT_EQ(status[0], 0xAA);
}

// The status read whose read-back instruction is lost answers "no status"
// (0xFF, taken for busy), never a data byte of the block read before it.
TEST_F(PassThroughTest, LostStatusInstructionCannotReturnTheLastDataByte) {
    ASSERT_TRUE(rig.EnterIsp());
    std::array<std::uint8_t, 64> block{};
    ASSERT_TRUE(chip::FlashReadBlock(rig.link, 0x0000, 64, block.data()));
    ASSERT_NE(block[0], 0xFF);
    sim::FaultPlan plan;
    plan.failRequest = 1;
    rig.bus.SetFaultPlan(plan);
    EXPECT_EQ(chip::FlashReadStatus(rig.link), 0xFF);
}

}  // namespace
