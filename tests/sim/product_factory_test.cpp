#include "sim/product_factory.h"

#include <gtest/gtest.h>

#include <string>

#include "chip/request_codes.h"
#include "sim/fault_names.h"
#include "sim_rig.h"
#include "usb/guid.h"

namespace {

using sim_test::SimRig;

// Several products at once, as "update every connected product" needs: two
// of the same kind and one bare chip, each reached at its own location.
TEST(SeveralProducts, EachIsListedAndReachedAtItsOwnLocation) {
    SimRig rig(sim_test::W25Product());
    sim::ProductConfig twin = sim_test::W25Product();
    twin.location = "1-3.1";
    const auto second = sim::PlugProduct(rig.bus, twin, rig.clock);
    sim::ProductConfig bare = sim_test::W25Product();
    bare.blankFlash = true;
    bare.location = "2-1";
    const auto third = sim::PlugProduct(rig.bus, bare, rig.clock);

    const auto audio = rig.bus.ListInterfacePaths(usb::kAudioDriverInterfaceClass);
    ASSERT_TRUE(audio);
    ASSERT_EQ(audio->size(), 2u);
    EXPECT_NE(audio->at(0), audio->at(1));
    const auto all = rig.bus.ListInterfacePaths(usb::kUsbDeviceInterfaceClass);
    ASSERT_EQ(all->size(), 3u);

    rig.link.SetAudioDriver(true);
    rig.link.SetMatchString("vid_2fc6&pid_f066#loc_1-3.1#");
    ASSERT_TRUE(rig.link.FindDevice());
    ASSERT_TRUE(rig.link.OpenDevice());
    ASSERT_TRUE(rig.WriteReg(0x30, 0x77));
    EXPECT_EQ(second->Register(0, 0x30), 0x77);
    EXPECT_EQ(rig.chip->Register(0, 0x30), 0x00);
    EXPECT_EQ(third->Register(0, 0x30), 0x00);
    EXPECT_EQ(rig.bus.Locations(), (std::vector<std::string>{"1-2", "1-3.1", "2-1"}));
}

TEST(ProductOptions, TimingAndWriteProtectPinReachTheFlash) {
    sim::ProductConfig config = sim_test::W25Product();
    config.timing = sim::FlashTiming::Maximum;
    config.writeProtectHeld = true;
    SimRig rig(config);
    EXPECT_EQ(rig.chip->Flash().Timing(), sim::FlashTiming::Maximum);
    EXPECT_TRUE(rig.chip->Flash().WriteProtectHeld());
    SimRig plain(sim_test::W25Product());
    EXPECT_EQ(plain.chip->Flash().Timing(), sim::FlashTiming::Typical);
    EXPECT_FALSE(plain.chip->Flash().WriteProtectHeld()) << "the products leave the pin free";
}

// The plan is set when the product is plugged in, so the command line's
// request numbers count from the start of the run.
TEST(ProductOptions, FaultPlanCountsFromThePlugging) {
    sim::ProductConfig config = sim_test::W25Product();
    std::string error;
    config.faults = sim::ParseFaultPlan("power-loss@2", error);
    ASSERT_TRUE(config.faults) << error;
    SimRig rig(config);
    ASSERT_TRUE(rig.Connect());
    EXPECT_TRUE(rig.EnterIsp() == false);
    EXPECT_EQ(rig.chip->Boots(), 2u) << "the power went during the enter sequence";
    EXPECT_FALSE(rig.chip->InIspMode());
}

}  // namespace
