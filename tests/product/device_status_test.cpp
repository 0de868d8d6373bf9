#include "product/device_status.h"

#include <gtest/gtest.h>

#include <optional>

#include "product_rig.h"

namespace product_test {
namespace {

class DeviceStatusOps : public ::testing::Test {
protected:
    void Aim(bool audio, const char* match) {
        rig.link.SetAudioDriver(audio);
        rig.link.SetMatchString(match);
        rig.link.FindDevice();
    }
    ProductRig rig;
};

TEST_F(DeviceStatusOps, ReadsTheThreeStatusRegistersAndNamesTheRate) {
    auto chip = rig.Plug(0, "1-2");
    Aim(true, "vid_2fc6&pid_f066");
    chip->SetStatus(sim::DeviceStatus{0x12, 0x77, 0x03});
    const std::optional<product::DeviceStatus> status = product::ReadDeviceStatus(rig.link);
    ASSERT_TRUE(status);
    EXPECT_EQ(status->status1, 0x77);
    EXPECT_TRUE(status->Connected());
    EXPECT_TRUE(status->Dsd());
    EXPECT_FALSE(status->Muted());
    EXPECT_EQ(status->RateText(), " DoP 256");
    EXPECT_EQ((product::DeviceStatus{0x08, 0, 0x03}).RateText(), " DSD  64");
    EXPECT_EQ((product::DeviceStatus{0x04, 0, 0x01}).RateText(), "176.4KHz");
    EXPECT_EQ((product::DeviceStatus{0x0F, 0, 0x01}).RateText(), "        ");
}

TEST_F(DeviceStatusOps, AStatusReadThatFailsGivesNothing) {
    rig.Plug(0, "1-2");
    Aim(true, "vid_2fc6&pid_f066");
    ASSERT_TRUE(product::ReadDeviceStatus(rig.link));
    sim::FaultPlan plan;
    plan.failRequest = 3;  // the second of the three status registers
    rig.backend.SetFaultPlan(plan);
    EXPECT_FALSE(product::ReadDeviceStatus(rig.link));
}

TEST_F(DeviceStatusOps, AHidKeyReachesTheFirmwareAndIsReportedDone) {
    auto chip = rig.Plug(0, "1-2");
    Aim(true, "vid_2fc6&pid_f066");
    EXPECT_TRUE(product::SendHidKey(rig.link, product::HidKey::VolumeUp));
    EXPECT_TRUE(product::SendHidKey(rig.link, product::HidKey::Previous));
    EXPECT_EQ(chip->HidKeys(), (std::vector<std::uint8_t>{0x01, 0x40}));
    EXPECT_FALSE(rig.link.HasOpenHandle());
}

TEST_F(DeviceStatusOps, AHidKeyToAChipWithoutFirmwareIsReportedNotDone) {
    rig.Plug(0, "1-2", true);
    Aim(false, "vid_2fc6&pid_6000");
    const std::uint64_t before = rig.clock.NowUs();
    EXPECT_FALSE(product::SendHidKey(rig.link, product::HidKey::Play));
    EXPECT_GE(rig.clock.NowUs() - before, 100'000u);  // ten polls, 10 ms apart
}

TEST_F(DeviceStatusOps, AHidKeyThatDidNotGoOutIsNotWaitedFor) {
    rig.Plug(0, "1-2");
    Aim(true, "vid_2fc6&pid_f066");
    rig.backend.Unplug("1-2");
    const std::uint64_t before = rig.clock.NowUs();
    EXPECT_FALSE(product::SendHidKey(rig.link, product::HidKey::Next));
    EXPECT_EQ(rig.clock.NowUs(), before);
}

}  // namespace
}  // namespace product_test
