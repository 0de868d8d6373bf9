#include "sim/i2c_master.h"

#include <gtest/gtest.h>

#include "chip/i2c_commands.h"
#include "chip/registers.h"
#include "chip/request_codes.h"
#include "sim_rig.h"

namespace {

using sim_test::SimRig;

class I2cTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Connect());
        ASSERT_TRUE(chip::I2cPrepare(rig.link));
    }

    sim::I2cRegisterDevice& Device(std::uint8_t address) { return *rig.chip->I2cDeviceAt(address); }

    SimRig rig;
};

TEST_F(I2cTest, PlainDeviceTakesAPointerThenSequentialBytes) {
    const std::uint8_t data[] = {0x11, 0x22, 0x33};
    ASSERT_TRUE(chip::I2cWrite(rig.link, 0x20, 0x05, 3, data));
    EXPECT_EQ(Device(0x20).Get(0x04), 0x00);
    EXPECT_EQ(Device(0x20).Get(0x05), 0x11);
    EXPECT_EQ(Device(0x20).Get(0x07), 0x33);

    std::uint8_t read[2] = {};
    ASSERT_TRUE(chip::I2cRead(rig.link, 0x20, 0x06, 2, read));
    EXPECT_EQ(read[0], 0x22);
    EXPECT_EQ(read[1], 0x33);
    EXPECT_EQ(Device(0x20).Pointer(), 0x08);
}

TEST(I2cSetUp, MasterDoesNothingBeforeItsSetUpWrite) {
    SimRig rig;
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(chip::RegSelectBank(rig.link, chip::kBankI2cMaster));
    rig.chip->I2cDeviceAt(0x20)->Set(0x05, 0x5A);
    ASSERT_TRUE(chip::RegWrite(rig.link, chip::kRegI2cControl, chip::kI2cStart));
    ASSERT_TRUE(chip::RegWrite(rig.link, chip::kRegI2cTransfer, chip::kI2cSend));
    ASSERT_TRUE(chip::RegWrite(rig.link, chip::kRegI2cTxData, 0x20));
    rig.clock.SleepMs(1);
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cControl), 0x00) << "the transfer never finishes";

    ASSERT_TRUE(chip::I2cPrepare(rig.link));
    std::uint8_t read = 0;
    EXPECT_TRUE(chip::I2cRead(rig.link, 0x20, 0x05, 1, &read));
    EXPECT_EQ(read, 0x5A);
}

TEST_F(I2cTest, AbsentAddressIsNotAcknowledged) {
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cControl, chip::kI2cStart));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTransfer, chip::kI2cSend));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTxData, 0x40));
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cControl), chip::kI2cStatusDone | chip::kI2cStatusNoAck);
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTxData, 0x00));
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cControl), chip::kI2cStatusDone | chip::kI2cStatusNoAck)
        << "nobody listens until the next start";

    std::uint8_t read[1] = {0xAA};
    EXPECT_FALSE(chip::I2cRead(rig.link, 0x40, 0x00, 1, read));
    EXPECT_EQ(read[0], 0xAA);
}

TEST_F(I2cTest, AmplifierKeepsItsReadOnlyBits) {
    const std::uint8_t ones[] = {0xFF, 0xFF};
    ASSERT_TRUE(chip::I2cWrite(rig.link, 0x60, 0x00, 2, ones));
    std::uint8_t read[3] = {};
    ASSERT_TRUE(chip::I2cRead(rig.link, 0x60, 0x00, 3, read));
    EXPECT_EQ(read[0], sim::I2cRegisterDevice::kAmplifierId);
    EXPECT_EQ(read[1], sim::I2cRegisterDevice::kAmplifierStatus | 0x0F);
    EXPECT_EQ(read[2], sim::I2cRegisterDevice::kAmplifierVolume);
}

TEST_F(I2cTest, DoneBitFollowsTheByteTime) {
    rig.bus.SetLatencyUs(0);
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cControl, chip::kI2cStart));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTransfer, chip::kI2cSend));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTxData, 0x21));
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cControl), 0x00);
    rig.clock.AdvanceUs(sim::I2cMaster::kByteTimeUs);
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cControl), chip::kI2cStatusDone);

    Device(0x20).Set(0x00, 0x9C);
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cControl, chip::kI2cNack));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTransfer, chip::kI2cReceive));
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cRxData), 0x00) << "the byte is not in yet";
    rig.clock.AdvanceUs(sim::I2cMaster::kByteTimeUs);
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cRxData), 0x9C);
}

TEST_F(I2cTest, SendingNeedsTheSendCommandFirst) {
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cControl, chip::kI2cStart));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTxData, 0x20));
    ASSERT_TRUE(rig.WriteReg(chip::kRegI2cTransfer, chip::kI2cSend));
    EXPECT_EQ(rig.ReadReg(chip::kRegI2cControl), 0x00) << "nothing went on the bus";
}

TEST_F(I2cTest, MasterRegistersExistOnlyInBank14) {
    ASSERT_TRUE(chip::RegSelectBank(rig.link, 0x00));
    const std::uint8_t data[] = {0x77};
    chip::I2cWrite(rig.link, 0x20, 0x01, 1, data);
    EXPECT_EQ(Device(0x20).Get(0x01), 0x00);
    EXPECT_EQ(rig.chip->Register(0x00, chip::kRegI2cControl), chip::kI2cStop);
}

}  // namespace
