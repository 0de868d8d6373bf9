#include "chip/registers.h"

#include <gtest/gtest.h>

#include "chip/request_codes.h"
#include "chip_test_rig.h"

namespace chip_test {
namespace {

TEST(RegisterAccess, WriteAndReadCarryTheRegisterInTheIndex) {
    ChipRig rig;
    rig.SetRegister(0xA6, 0x05);
    std::uint8_t value = 0;
    EXPECT_TRUE(chip::RegWrite(rig.Link(), 0x0123, 0x7E));
    EXPECT_TRUE(chip::RegRead(rig.Link(), 0xA6, value));
    EXPECT_TRUE(chip::RegSelectBank(rig.Link(), 0x0E));
    EXPECT_EQ(value, 0x05);
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 90 0000 0123 1 7e ok", "c3 91 0000 00a6 1 05 ok",
                                      "43 90 0000 0000 1 0e ok"}));
}

TEST(RegisterAccess, FailedReadLeavesTheDestinationAlone) {
    ChipRig rig;
    rig.FailCode(chip::kRequestRegRead);  // the failing answer still scribbles 0xA5
    std::uint8_t value = 0x3C;
    EXPECT_FALSE(chip::RegRead(rig.Link(), 0x10, value));
    EXPECT_EQ(value, 0x3C);
}

TEST(RegisterAccess, NothingIsSentWithoutAnOpenHandle) {
    ChipRig rig(/*open=*/false);
    std::uint8_t value = 0x3C;
    EXPECT_FALSE(chip::RegWrite(rig.Link(), 0x10, 0x01));
    EXPECT_FALSE(chip::RegRead(rig.Link(), 0x10, value));
    EXPECT_EQ(value, 0x3C);
}

TEST(IspMode, EnterSendsTheKeyThenTheBank13Writes) {
    ChipRig rig;
    EXPECT_TRUE(chip::IspMode(rig.Link(), true));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 84 3b92 4e71 0 - ok", RegWriteLine(0x00, 0x0D),
                                      RegWriteLine(0x07, 0x10), RegWriteLine(0x01, 0x03)}));
}

TEST(IspMode, LeaveSendsTheKeyThenClearsRegister7) {
    ChipRig rig;
    EXPECT_TRUE(chip::IspMode(rig.Link(), false));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 85 29e6 1a9d 0 - ok", RegWriteLine(0x00, 0x0D),
                                      RegWriteLine(0x07, 0x00)}));
}

TEST(IspMode, ResultIsTheModeRequestsAlone) {
    ChipRig refused;
    refused.FailRequest(1);
    EXPECT_FALSE(chip::IspMode(refused.Link(), true));
    EXPECT_EQ(refused.Lines().size(), 4u) << "the bank-13 writes go out all the same";

    ChipRig registersLost;
    registersLost.FailCode(chip::kRequestRegWrite);
    EXPECT_TRUE(chip::IspMode(registersLost.Link(), false));
}

TEST(IspMode, AFailedLeaveRequestStillClearsRegister7) {
    ChipRig rig;
    rig.FailRequest(1);
    EXPECT_FALSE(chip::IspMode(rig.Link(), false));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"43 85 29e6 1a9d 0 - fail", RegWriteLine(0x00, 0x0D),
                                      RegWriteLine(0x07, 0x00)}));
}

TEST(FlashReady, ReadyOnlyOnASuccessfulNonZeroAnswer) {
    ChipRig rig;
    rig.QueueReady({0x00, 0x01});
    EXPECT_FALSE(chip::FlashReady(rig.Link()));
    EXPECT_TRUE(chip::FlashReady(rig.Link()));
    EXPECT_TRUE(TraceIs(rig.Lines(), {"c3 83 0000 0000 1 00 ok", "c3 83 0000 0000 1 01 ok"}));

    ChipRig failing;
    failing.FailCode(chip::kRequestFlashReady);  // its buffer holds a non-zero 0xA5
    EXPECT_FALSE(chip::FlashReady(failing.Link()));
}

TEST(I2cPrepare, SelectsBank14BeforeRegister11) {
    ChipRig rig;
    EXPECT_TRUE(chip::I2cPrepare(rig.Link()));
    EXPECT_TRUE(TraceIs(rig.Lines(), {RegWriteLine(0x00, 0x0E), RegWriteLine(0x11, 0x04)}));
}

TEST(I2cPrepare, ResultIsTheSecondWrites) {
    ChipRig bankLost;
    bankLost.FailRequest(1);
    EXPECT_TRUE(chip::I2cPrepare(bankLost.Link()));

    ChipRig setupLost;
    setupLost.FailRequest(2);
    EXPECT_FALSE(chip::I2cPrepare(setupLost.Link()));
}

}  // namespace
}  // namespace chip_test
