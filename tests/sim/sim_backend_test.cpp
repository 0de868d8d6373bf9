#include "sim/sim_backend.h"

#include <gtest/gtest.h>

#include "chip/request_codes.h"
#include "sim_rig.h"
#include "usb/guid.h"
#include "usb/interface_path.h"
#include "usb/transport_blocks.h"

namespace {

using sim_test::SimRig;
using usb::kAudioDriverInterfaceClass;
using usb::kUsbDeviceInterfaceClass;

std::string PathOf(std::uint16_t vid, std::uint16_t pid, const std::string& location,
                   const usb::Guid& cls) {
    return usb::MakeInterfacePath(vid, pid, location, cls);
}

// A product at 1-2, the bare chip of another product at 1-3 and an unrelated
// device at 2-1.
class BusTest : public ::testing::Test {
protected:
    BusTest() {
        sim::ProductConfig bare;
        bare.row = 3;
        bare.blankFlash = true;
        bare.location = "1-3";
        sim::PlugProduct(rig.bus, bare, rig.clock);
        rig.bus.Plug("2-1", std::make_shared<sim::SimDevice>(sim::UsbIdentity{0x1234, 0x5678}));
    }

    bool RegRead(usb::DeviceBackend::HandleId handle, std::uint8_t& value) {
        const usb::VendorBlock block =
            usb::EncodeVendorBlock(chip::kTypeIn, chip::kRequestRegRead, 0, 0x00);
        return rig.bus.IoControl(handle, usb::kIoctlVendorIn, block, {&value, 1}).ok;
    }

    SimRig rig;
};

TEST_F(BusTest, AudioClassListsOnlyDevicesWithAnAudioInterface) {
    EXPECT_EQ(
        rig.bus.ListInterfacePaths(kAudioDriverInterfaceClass),
        (std::vector<std::string>{PathOf(0x2FC6, 0xF066, "1-2", kAudioDriverInterfaceClass)}));
    EXPECT_EQ(rig.bus.ListInterfacePaths(kUsbDeviceInterfaceClass),
              (std::vector<std::string>{PathOf(0x2FC6, 0xF066, "1-2", kUsbDeviceInterfaceClass),
                                        PathOf(0x2FC6, 0x6000, "1-3", kUsbDeviceInterfaceClass),
                                        PathOf(0x1234, 0x5678, "2-1", kUsbDeviceInterfaceClass)}));
    EXPECT_EQ(rig.bus.ListInterfacePaths(usb::kVendorRequestPropertySet),
              std::vector<std::string>{});
}

TEST_F(BusTest, OpenNeedsAPathThatIsPresentNow) {
    const std::string product = PathOf(0x2FC6, 0xF066, "1-2", kAudioDriverInterfaceClass);
    EXPECT_EQ(rig.bus.Open(PathOf(0x2FC6, 0x6000, "1-3", kAudioDriverInterfaceClass)).status,
              usb::OpenStatus::NoSuchDevice);
    EXPECT_EQ(rig.bus.Open(product).status, usb::OpenStatus::Ok);
    rig.bus.Unplug("1-2");
    EXPECT_EQ(rig.bus.Open(product).status, usb::OpenStatus::NoSuchDevice);
}

TEST_F(BusTest, HandlesDoNotSurviveAnUnplug) {
    const auto opened = rig.bus.Open(PathOf(0x2FC6, 0xF066, "1-2", kUsbDeviceInterfaceClass));
    ASSERT_EQ(opened.status, usb::OpenStatus::Ok);
    std::uint8_t bank = 0xAA;
    EXPECT_TRUE(RegRead(opened.handle, bank));
    rig.bus.PowerCycle("1-2");
    EXPECT_FALSE(RegRead(opened.handle, bank)) << "the same device plugged back is a new device";
    const auto again = rig.bus.Open(PathOf(0x2FC6, 0xF066, "1-2", kUsbDeviceInterfaceClass));
    EXPECT_TRUE(RegRead(again.handle, bank));
}

TEST_F(BusTest, HandlesDoNotSurviveAReenumeration) {
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.EnterIsp());
    ASSERT_TRUE(rig.LeaveIsp());
    EXPECT_FALSE(rig.WriteReg(0x07, 0x00)) << "the chip is gone from under the old handle";
    ASSERT_TRUE(rig.Connect());
    EXPECT_TRUE(rig.WriteReg(0x07, 0x00));
}

TEST_F(BusTest, MalformedBlocksNeverReachTheBus) {
    const auto opened = rig.bus.Open(PathOf(0x2FC6, 0xF066, "1-2", kAudioDriverInterfaceClass));
    const std::uint64_t before = rig.clock.NowUs();
    std::vector<std::uint8_t> block =
        usb::EncodeAudioBlock(chip::kTypeOut, chip::kRequestRegWrite, 0, 0x10, {{0x55}});
    block.resize(30);
    EXPECT_FALSE(rig.bus.IoControl(opened.handle, usb::kIoctlKsProperty, block, {}));
    EXPECT_FALSE(rig.bus.IoControl(opened.handle, 0x123456, block, {}));
    EXPECT_FALSE(rig.bus.IoControl(999, usb::kIoctlKsProperty, block, {}));
    EXPECT_EQ(rig.clock.NowUs(), before);
    EXPECT_EQ(rig.bus.Counters().failed, 3u);
    EXPECT_EQ(rig.chip->Register(0, 0x10), 0x00);
}

TEST_F(BusTest, SupportQueryAnsweredByAudioDevicesOnly) {
    const usb::KsHeader query = usb::EncodeSupportQuery();
    const auto product = rig.bus.Open(PathOf(0x2FC6, 0xF066, "1-2", kUsbDeviceInterfaceClass));
    const auto bare = rig.bus.Open(PathOf(0x2FC6, 0x6000, "1-3", kUsbDeviceInterfaceClass));
    EXPECT_TRUE(rig.bus.IoControl(product.handle, usb::kIoctlKsProperty, query, {}));
    EXPECT_FALSE(rig.bus.IoControl(bare.handle, usb::kIoctlKsProperty, query, {}));
    std::uint8_t bank = 0;
    const std::vector<std::uint8_t> read =
        usb::EncodeAudioBlock(chip::kTypeIn, chip::kRequestRegRead, 0, 0x00, {&bank, 1});
    EXPECT_FALSE(rig.bus.IoControl(bare.handle, usb::kIoctlKsProperty, read, {&bank, 1}))
        << "no audio driver, no kernel-streaming requests";
    EXPECT_TRUE(rig.bus.IoControl(product.handle, usb::kIoctlKsProperty, read, {&bank, 1}));
    EXPECT_EQ(rig.bus.Counters().supportQueries, 1u);
}

TEST_F(BusTest, DescriptorProbeAnswersTheCurrentIdentity) {
    const auto bare = rig.bus.Open(PathOf(0x2FC6, 0x6000, "1-3", kUsbDeviceInterfaceClass));
    std::uint8_t descriptor[usb::kDeviceDescriptorSize] = {};
    ASSERT_TRUE(rig.bus.IoControl(bare.handle, usb::kIoctlVendorIn, usb::EncodeDescriptorProbe(),
                                  descriptor));
    EXPECT_EQ(descriptor[0], 18);
    EXPECT_EQ(descriptor[1], 1);
    EXPECT_EQ(descriptor[8] | (descriptor[9] << 8), 0x2FC6);
    EXPECT_EQ(descriptor[10] | (descriptor[11] << 8), 0x6000);

    rig.link.SetAudioDriver(false);
    rig.link.SetMatchString("vid_1234&pid_5678");
    EXPECT_TRUE(rig.link.FindDevice()) << "any device answers the descriptor probe";
}

TEST_F(BusTest, EachRequestCostsTheLatencyAndIsCounted) {
    ASSERT_TRUE(rig.Connect());
    rig.bus.ResetCounters();
    rig.bus.SetLatencyUs(sim::SimBackend::kFullSpeedLatencyUs);
    const std::uint64_t before = rig.clock.NowUs();
    ASSERT_TRUE(rig.WriteReg(0x20, 0x5A));
    ASSERT_EQ(rig.ReadReg(0x20), 0x5A);
    ASSERT_TRUE(rig.ReadReg(0x21).has_value());
    EXPECT_EQ(rig.clock.NowUs() - before, 3000u);
    const sim::RequestCounters& counters = rig.bus.Counters();
    EXPECT_EQ(counters.controlCalls, 3u);
    EXPECT_EQ(counters.outRequests, 1u);
    EXPECT_EQ(counters.inRequests, 2u);
    EXPECT_EQ(counters.byRequestCode[chip::kRequestRegRead], 2u);
    EXPECT_EQ(counters.inBytes, 2u);
    EXPECT_EQ(counters.latencyUs, 3000u);
}

TEST_F(BusTest, BothDriverPathsReachTheSameChip) {
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.WriteReg(0x30, 0x77));
    rig.link.SetAudioDriver(false);
    ASSERT_TRUE(rig.link.FindDevice());
    ASSERT_TRUE(rig.link.OpenDevice());
    EXPECT_EQ(rig.ReadReg(0x30), 0x77);
}

TEST_F(BusTest, LogKeepsEveryTransferWithItsData) {
    ASSERT_TRUE(rig.Connect());
    rig.bus.SetLogging(true);
    ASSERT_TRUE(rig.WriteReg(0x42, 0x24));
    ASSERT_EQ(rig.ReadReg(0x42), 0x24);
    ASSERT_EQ(rig.bus.Log().size(), 2u);
    const auto& write = rig.bus.Log()[0];
    EXPECT_EQ(write.location, "1-2");
    EXPECT_EQ(write.setup, (usb::ControlSetup{0x43, 0x90, 0, 0x42, 1}));
    EXPECT_EQ(write.data, std::vector<std::uint8_t>{0x24});
    EXPECT_EQ(rig.bus.Log()[1].data, std::vector<std::uint8_t>{0x24});
}

}  // namespace
