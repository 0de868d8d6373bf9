#include "sim/param_mailbox.h"

#include <gtest/gtest.h>

#include <string>

#include "chip/param_commands.h"
#include "chip/request_codes.h"
#include "sim_rig.h"

namespace {

using sim_test::SimRig;

class MailboxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.Connect()); }

    bool Param(std::uint8_t selector, std::uint8_t argument, std::vector<std::uint8_t>& data) {
        return chip::ParamAccess(rig.link, chip::kMailboxParamCommand, selector, argument,
                                 static_cast<std::uint8_t>(data.size()), data.data());
    }

    SimRig rig;
};

TEST_F(MailboxTest, CommandCompletesAfterTheFirmwareTakesItsTime) {
    rig.bus.SetLatencyUs(0);
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxSelector, 0x21));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxCommand, chip::kMailboxParamCommand));
    rig.clock.AdvanceUs(sim::ParamMailbox::kParamCompletionUs - 1);
    EXPECT_EQ(rig.ReadReg(chip::kRegMailboxCommand), chip::kMailboxParamCommand);
    EXPECT_EQ(rig.ReadReg(chip::kRegMailboxData), 0x00);
    rig.clock.AdvanceUs(1);
    EXPECT_EQ(rig.ReadReg(chip::kRegMailboxCommand), chip::kMailboxParamDone);
    EXPECT_EQ(rig.ReadReg(chip::kRegMailboxData), 0xA1);
}

// The firmware takes the request over when the command register is written;
// data written after that is not part of it.
TEST_F(MailboxTest, DataRegistersAreLatchedByTheCommandWrite) {
    const std::uint8_t setting[] = {0x12, 0x34, 0x56, 0x78};
    for (std::uint8_t i = 0; i < 4; ++i)
        ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxData + i, setting[i]));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxSelector, 0x20));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxArgument, 0x00));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxCommand, chip::kMailboxParamCommand));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxData, 0xEE));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxSelector, 0x08));
    rig.clock.SleepMs(20);
    ASSERT_EQ(rig.ReadReg(chip::kRegMailboxCommand), chip::kMailboxParamDone);
    EXPECT_EQ(rig.chip->Params().SysSetting(),
              (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(rig.chip->Params().Vid(), "2fc6") << "the late selector write changed nothing";
}

TEST_F(MailboxTest, SystemSettingRoundTrip) {
    std::vector<std::uint8_t> setting = {0x12, 0x34, 0x56, 0x78};
    Param(0x20, 0, setting);
    EXPECT_EQ(rig.chip->Params().SysSetting(),
              (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    std::vector<std::uint8_t> read(4, 0);
    Param(0x21, 0, read);
    EXPECT_EQ(read, setting);
}

TEST_F(MailboxTest, StringChunksAssembleIntoThePacket) {
    const std::string text = "Pale Reed Audio";  // 15 characters: a 16-byte packet
    std::vector<std::uint8_t> packet = {static_cast<std::uint8_t>(text.size())};
    packet.insert(packet.end(), text.begin(), text.end());
    std::vector<std::uint8_t> first(packet.begin(), packet.begin() + 8);
    std::vector<std::uint8_t> second(packet.begin() + 8, packet.end());
    Param(0x14, 0, first);
    EXPECT_EQ(rig.chip->Params().String(2).substr(0, 7), "Pale Re");
    Param(0x14, 1, second);
    EXPECT_EQ(rig.chip->Params().String(2), text);
    EXPECT_EQ(rig.chip->Params().String(1), "Quorvex-inc");
}

TEST_F(MailboxTest, IdsTravelAsFourCharacters) {
    std::vector<std::uint8_t> vid = {'2', 'f', 'c', '0'};
    Param(0x08, 0, vid);
    EXPECT_EQ(rig.chip->Params().Vid(), "2fc0");
    EXPECT_EQ(rig.chip->Params().Pid(), "f066");
}

TEST_F(MailboxTest, UnknownRequestsAreNeverAcknowledged) {
    std::vector<std::uint8_t> data = {1, 2, 3, 4};
    const std::uint64_t before = rig.clock.NowUs();
    Param(0x40, 0, data);
    EXPECT_GE(rig.clock.NowUs() - before, 200'000u) << "the command ran out its 20 polls";
    Param(0x10, 4, data);  // there are only four chunks
    EXPECT_EQ(rig.chip->Params().String(1), "Quorvex-inc");
}

TEST_F(MailboxTest, HidKeyIsSentAndAnswered) {
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxSelector, 0x10));
    ASSERT_TRUE(rig.WriteReg(chip::kRegMailboxCommand, chip::kMailboxHidCommand));
    EXPECT_TRUE(rig.chip->HidKeys().empty());
    rig.clock.SleepMs(10);
    EXPECT_EQ(rig.ReadReg(chip::kRegMailboxCommand), chip::kMailboxHidDone);
    EXPECT_EQ(rig.chip->HidKeys(), std::vector<std::uint8_t>{0x10});
}

TEST_F(MailboxTest, NobodyServesTheMailboxInIspMode) {
    ASSERT_TRUE(rig.EnterIsp());
    std::vector<std::uint8_t> setting = {0x00, 0x00, 0x00, 0x00};
    Param(0x20, 0, setting);
    EXPECT_EQ(rig.chip->Params().SysSetting(), sim::ParamStore::kDefaultSysSetting);
}

TEST_F(MailboxTest, StatusRegistersShowTheAudioInput) {
    rig.chip->SetStatus(sim::DeviceStatus{0x12, 0x34, 0x03});
    ASSERT_TRUE(rig.WriteReg(0x00, 0x00));
    EXPECT_EQ(rig.ReadReg(chip::kRegStatus0), 0x12);
    EXPECT_EQ(rig.ReadReg(chip::kRegStatus1), 0x34);
    ASSERT_TRUE(rig.WriteReg(chip::kRegStatus2, 0x00));
    EXPECT_EQ(rig.ReadReg(chip::kRegStatus2), 0x03) << "host writes do not stick";
    ASSERT_TRUE(rig.WriteReg(0x00, 0x01));
    EXPECT_EQ(rig.ReadReg(chip::kRegStatus2), 0x00) << "other banks have their own registers";
}

TEST(BareChipStatus, ReadsZeroWithoutFirmware) {
    sim::ProductConfig config;
    config.blankFlash = true;
    SimRig rig(config);
    ASSERT_TRUE(rig.Connect());
    EXPECT_EQ(rig.ReadReg(chip::kRegStatus2), 0x00);
}

}  // namespace
