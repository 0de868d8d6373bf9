#include "chip/i2c_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "chip/request_codes.h"
#include "chip_test_rig.h"

namespace chip_test {
namespace {

constexpr std::uint8_t kDoneAck = 0x01;
constexpr std::uint8_t kDoneNoAck = 0x09;

// Register writes only, as "reg:value", for checks that ignore the status reads.
std::vector<std::string> Writes(const std::vector<std::string>& lines) {
    std::vector<std::string> writes;
    for (const std::string& line : lines) {
        if (line.rfind("43 90 ", 0) == 0)
            writes.push_back(line.substr(13, 2) + ":" + line.substr(18, 2));
    }
    return writes;
}

std::vector<std::string> SendLines(std::uint8_t byte, std::uint8_t status) {
    return {RegWriteLine(0x14, 0x01), RegWriteLine(0x12, byte), RegReadLine(0x10, status),
            RegReadLine(0x10, status)};
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& lines) {
    to.insert(to.end(), lines.begin(), lines.end());
}

TEST(I2cRead, OneRegisterFromAnAnsweringDevice) {
    ChipRig rig;
    rig.SetRegister(0x10, kDoneAck);
    rig.SetRegister(0x13, 0x5A);
    std::uint8_t value = 0;
    EXPECT_TRUE(chip::I2cRead(rig.Link(), 0x20, 0x05, 1, &value));
    EXPECT_EQ(value, 0x5A);

    std::vector<std::string> expected{RegWriteLine(0x10, 0xC0)};
    Append(expected, SendLines(0x20, kDoneAck));
    Append(expected, SendLines(0x05, kDoneAck));
    expected.push_back(RegWriteLine(0x10, 0xC0));
    Append(expected, SendLines(0x21, kDoneAck));
    Append(expected,
           {RegWriteLine(0x10, 0x90), RegWriteLine(0x14, 0x03), RegReadLine(0x10, kDoneAck),
            RegReadLine(0x13, 0x5A), RegWriteLine(0x10, 0xA0)});
    EXPECT_EQ(expected.size(), 19u);
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

TEST(I2cRead, OnlyTheLastOfSeveralBytesGoesUnacknowledged) {
    ChipRig rig;
    rig.SetRegister(0x10, kDoneAck);
    rig.QueueRegister(0x13, {0x11, 0x22, 0x33});
    std::array<std::uint8_t, 3> bytes{};
    EXPECT_TRUE(chip::I2cRead(rig.Link(), 0x20, 0x00, 3, bytes.data()));
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 3>{0x11, 0x22, 0x33}));

    const std::vector<std::string> writes = Writes(rig.Lines());
    const std::vector<std::string> receivePart(writes.end() - 7, writes.end());
    EXPECT_EQ(receivePart, (std::vector<std::string>{"10:80", "14:03", "10:80", "14:03", "10:90",
                                                     "14:03", "10:a0"}));
}

TEST(I2cRead, DeviceThatNeverAcknowledgesGetsTenStartsAndOneStop) {
    ChipRig rig;
    rig.SetRegister(0x10, kDoneNoAck);
    std::uint8_t value = 0x77;
    EXPECT_FALSE(chip::I2cRead(rig.Link(), 0x20, 0x05, 1, &value));
    EXPECT_EQ(value, 0x77);

    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) {
        expected.push_back(RegWriteLine(0x10, 0xC0));
        Append(expected, SendLines(0x20, kDoneNoAck));
    }
    expected.push_back(RegWriteLine(0x10, 0xA0));
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

TEST(I2cRead, UnansweredReadAddressStopsBeforeAnyReceive) {
    ChipRig rig;
    rig.QueueRegister(0x10, {kDoneAck, kDoneAck, kDoneAck, kDoneAck});  // address and register
    rig.SetRegister(0x10, kDoneNoAck);
    std::uint8_t value = 0x77;
    EXPECT_FALSE(chip::I2cRead(rig.Link(), 0x20, 0x05, 1, &value));
    EXPECT_EQ(value, 0x77);

    const std::vector<std::string> writes = Writes(rig.Lines());
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "12:21"), 10);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "14:03"), 0);
    EXPECT_EQ(writes.back(), "10:a0");
}

TEST(I2cRead, SecondAcknowledgedAttemptEndsTheAddressPhase) {
    ChipRig rig;
    rig.QueueRegister(0x10, {kDoneNoAck, kDoneNoAck});
    rig.SetRegister(0x10, kDoneAck);
    std::uint8_t value = 0;
    EXPECT_TRUE(chip::I2cRead(rig.Link(), 0x20, 0x05, 1, &value));
    const std::vector<std::string> writes = Writes(rig.Lines());
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "10:c0"), 3) << "two for the write address";
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "10:a0"), 1) << "no stop between attempts";
}

TEST(I2cSendByte, TransferThatNeverFinishesFailsAfterTwentyReads) {
    ChipRig rig;
    rig.SetRegister(0x10, 0x00);  // never done, never refused
    EXPECT_FALSE(chip::I2cSendByte(rig.Link(), 0x42));
    std::vector<std::string> expected{RegWriteLine(0x14, 0x01), RegWriteLine(0x12, 0x42)};
    expected.insert(expected.end(), 20, RegReadLine(0x10, 0x00));
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
}

TEST(I2cRead, StuckMasterIsNotRetriedAndEndsWithAStop) {
    ChipRig rig;
    rig.SetRegister(0x10, 0x00);
    std::uint8_t value = 0x77;
    EXPECT_FALSE(chip::I2cRead(rig.Link(), 0x20, 0x05, 1, &value));
    EXPECT_EQ(value, 0x77);
    const std::vector<std::string> writes = Writes(rig.Lines());
    EXPECT_EQ(writes, (std::vector<std::string>{"10:c0", "14:01", "12:20", "10:a0"}));
}

TEST(I2cRead, StuckReceiveKeepsTheOldDataRegisterFromTheCaller) {
    ChipRig rig;
    // Address, register byte and read address each finish and are acknowledged
    // (done poll and acknowledge read), then the first receive never finishes.
    rig.QueueRegister(0x10, std::vector<std::uint8_t>(6, kDoneAck));
    rig.SetRegister(0x10, 0x00);
    rig.SetRegister(0x13, 0x5A);  // left over from an earlier transfer
    std::array<std::uint8_t, 2> bytes{0x77, 0x77};
    EXPECT_FALSE(chip::I2cRead(rig.Link(), 0x20, 0x05, 2, bytes.data()));
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 2>{0x77, 0x77}));
    const std::vector<std::string> writes = Writes(rig.Lines());
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "14:03"), 1);
    EXPECT_EQ(writes.back(), "10:a0");
    EXPECT_EQ(std::count(rig.Lines().begin(), rig.Lines().end(), RegReadLine(0x13, 0x5A)), 0);
}

TEST(I2cWriteCmd, StuckDataByteFailsTheTransaction) {
    ChipRig rig;
    rig.QueueRegister(0x10, std::vector<std::uint8_t>(4, kDoneAck));  // address and command
    rig.SetRegister(0x10, 0x00);
    const std::uint8_t command = 0x01;
    const std::uint8_t data[] = {0xD1, 0xD2};
    EXPECT_FALSE(chip::I2cWriteCmd(rig.Link(), 0x60, 1, &command, 2, data));
    const std::vector<std::string> writes = Writes(rig.Lines());
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "12:d2"), 0);
    EXPECT_EQ(writes.back(), "10:a0");
}

TEST(I2cSendByte, AcknowledgeIsReadAfterTheDoneBitAndOnlyBit3Counts) {
    ChipRig rig;
    rig.QueueRegister(0x10, {0x00, 0x00, 0x01, 0xF7});
    EXPECT_TRUE(chip::I2cSendByte(rig.Link(), 0x42));
    EXPECT_EQ(rig.Lines().size(), 6u);

    rig.QueueRegister(0x10, {0x01, 0x08});
    EXPECT_FALSE(chip::I2cSendByte(rig.Link(), 0x42));
}

TEST(I2cSendByte, UnreadableStatusCountsAsNoAcknowledge) {
    ChipRig rig;
    rig.FailCode(chip::kRequestRegRead);
    rig.SetFailureGarbage(0x01);
    EXPECT_FALSE(chip::I2cSendByte(rig.Link(), 0x42));
}

TEST(I2cWriteCmd, SendsCommandsThenDataAndIgnoresTheirAcknowledges) {
    ChipRig rig;
    rig.QueueRegister(0x10, {kDoneAck, kDoneAck});
    rig.SetRegister(0x10, kDoneNoAck);  // everything after the address is refused
    const std::uint8_t commands[] = {0xC1, 0xC2};
    const std::uint8_t data[] = {0xD1, 0xD2, 0xD3};
    EXPECT_TRUE(chip::I2cWriteCmd(rig.Link(), 0x60, 2, commands, 3, data));
    EXPECT_EQ(
        Writes(rig.Lines()),
        (std::vector<std::string>{"10:c0", "14:01", "12:60", "14:01", "12:c1", "14:01", "12:c2",
                                  "14:01", "12:d1", "14:01", "12:d2", "14:01", "12:d3", "10:a0"}));
}

TEST(I2cWrite, RegisterByteThenData) {
    ChipRig rig;
    rig.SetRegister(0x10, kDoneAck);
    const std::uint8_t value = 0x99;
    EXPECT_TRUE(chip::I2cWrite(rig.Link(), 0x20, 0x07, 1, &value));
    EXPECT_EQ(Writes(rig.Lines()), (std::vector<std::string>{"10:c0", "14:01", "12:20", "14:01",
                                                             "12:07", "14:01", "12:99", "10:a0"}));
}

TEST(I2cWrite, UnansweredAddressSendsNoRegisterByte) {
    ChipRig rig;
    rig.SetRegister(0x10, kDoneNoAck);
    const std::uint8_t value = 0x99;
    EXPECT_FALSE(chip::I2cWrite(rig.Link(), 0x20, 0x07, 1, &value));
    const std::vector<std::string> writes = Writes(rig.Lines());
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "12:20"), 10);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), "12:07"), 0);
    EXPECT_EQ(writes.back(), "10:a0");
}

TEST(I2cReadCmd, CommandBytesTakeThePlaceOfTheRegisterByte) {
    ChipRig rig;
    rig.SetRegister(0x10, kDoneAck);
    rig.QueueRegister(0x13, {0xAB, 0xCD});
    const std::uint8_t commands[] = {0x01, 0x02, 0x03};
    std::array<std::uint8_t, 5> reply{};
    EXPECT_TRUE(chip::I2cReadCmd(rig.Link(), 0x60, 3, commands, 2, reply.data()));
    EXPECT_EQ(reply, (std::array<std::uint8_t, 5>{0xAB, 0xCD, 0, 0, 0}));
    EXPECT_EQ(Writes(rig.Lines()),
              (std::vector<std::string>{"10:c0", "14:01", "12:60", "14:01", "12:01", "14:01",
                                        "12:02", "14:01", "12:03", "10:c0", "14:01", "12:61",
                                        "10:80", "14:03", "10:90", "14:03", "10:a0"}));
}

TEST(I2cCounts, ReadsOfNothingAndMissingBuffersAreRefusedWithNothingSent) {
    ChipRig rig;
    std::uint8_t byte = 0x77;
    EXPECT_FALSE(chip::I2cRead(rig.Link(), 0x20, 0x05, 0, &byte));
    EXPECT_FALSE(chip::I2cRead(rig.Link(), 0x20, 0x05, 1, nullptr));
    EXPECT_FALSE(chip::I2cReadCmd(rig.Link(), 0x20, 1, nullptr, 1, &byte));
    EXPECT_FALSE(chip::I2cWrite(rig.Link(), 0x20, 0x05, 1, nullptr));
    EXPECT_FALSE(chip::I2cWriteCmd(rig.Link(), 0x20, 2, nullptr, 0, nullptr));
    EXPECT_TRUE(rig.Lines().empty());
    EXPECT_EQ(byte, 0x77);
}

}  // namespace
}  // namespace chip_test
