#include <gtest/gtest.h>

#include "chip/request_codes.h"
#include "sim/firmware_layout.h"
#include "sim_rig.h"

namespace {

using sim_test::Addressed;
using sim_test::SimRig;

sim::ProductConfig Product(bool blank, std::uint16_t ispVid = sim::kIspVidQuorvex) {
    sim::ProductConfig config;
    config.row = 2;
    config.flash = sim::FlashModel::W25q80;
    config.blankFlash = blank;
    config.ispVid = ispVid;
    return config;
}

const sim::UsbIdentity kBareQuorvex{0x2FC6, 0x6000, false};

// Erases the whole flash through the pass-through, as an update begins.
void EraseAll(SimRig& rig) {
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Instruction({chip::kFlashWriteStatus, 0x00}));
    ASSERT_TRUE(rig.WaitNotBusy());
    ASSERT_TRUE(rig.WriteEnable());
    ASSERT_TRUE(rig.Instruction({chip::kFlashChipErase}));
    ASSERT_TRUE(rig.WaitNotBusy());
}

void ProgramPages(SimRig& rig, const std::vector<std::uint8_t>& image, std::size_t pages) {
    for (std::size_t at = 0; at < image.size() && at / 256 < pages; at += 256) {
        const std::size_t n = std::min<std::size_t>(256, image.size() - at);
        ASSERT_TRUE(rig.WriteEnable());
        ASSERT_TRUE(rig.Out(chip::kRequestFlashInstruction, 0, 0,
                            Addressed(chip::kFlashPageProgram, static_cast<std::uint32_t>(at))));
        ASSERT_TRUE(rig.Instruction({image.begin() + at, image.begin() + at + n}));
        ASSERT_TRUE(rig.WaitNotBusy());
    }
}

TEST(PowerUp, CompleteFirmwareBootsIntoTheProduct) {
    SimRig rig(Product(false));
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(2));
    EXPECT_FALSE(rig.chip->InIspMode());
    EXPECT_TRUE(rig.Connect()) << "found on the audio-driver path";
}

TEST(PowerUp, BlankFlashLeavesTheBareChipWaitingInIspMode) {
    SimRig rig(Product(true));
    EXPECT_EQ(rig.chip->Identity(), kBareQuorvex);
    EXPECT_TRUE(rig.chip->InIspMode());
    ASSERT_TRUE(rig.Connect());
    EXPECT_FALSE(rig.link.UsesAudioDriver());
    EXPECT_EQ(rig.ReadBack({chip::kFlashReadId}, 3), std::nullopt)
        << "the boot code waits in ISP mode, but the SPI port is not handed over yet";
    ASSERT_TRUE(rig.EnterIsp());
    EXPECT_EQ(rig.ReadBack({chip::kFlashReadId}, 3), (std::vector<std::uint8_t>{0xEF, 0x40, 0x14}));
}

TEST(PowerUp, AlternateIspVendorId) {
    SimRig rig(Product(true, sim::kIspVidAlternate));
    EXPECT_EQ(rig.chip->Identity(), (sim::UsbIdentity{0x0EA0, 0x6000, false}));
}

TEST(PowerUp, InterruptedUpdateComesBackAsTheBareChip) {
    SimRig rig(Product(false));
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.EnterIsp());
    EraseAll(rig);
    ProgramPages(rig, sim::MakeFirmwareImage(0x1000, 9), 4);  // header present, end missing
    rig.bus.PowerCycle("1-2");
    EXPECT_EQ(rig.chip->Identity(), kBareQuorvex);
    EXPECT_TRUE(rig.chip->InIspMode());
}

TEST(PowerUp, LeavingIspAfterAFullProgramBootsTheNewFirmware) {
    SimRig rig(Product(true));
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.EnterIsp());
    const std::uint64_t enumeration = rig.chip->Enumeration();
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x900, 7);
    EraseAll(rig);
    ProgramPages(rig, image, 16);
    ASSERT_TRUE(rig.LeaveIsp());
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(2));
    EXPECT_FALSE(rig.chip->InIspMode());
    EXPECT_GT(rig.chip->Enumeration(), enumeration);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), rig.chip->Flash().Contents().begin()));
}

TEST(PowerUp, LeavingIspWithoutFirmwareReenumeratesAsTheBareChip) {
    SimRig rig(Product(true));
    ASSERT_TRUE(rig.Connect());
    const std::uint64_t enumeration = rig.chip->Enumeration();
    ASSERT_TRUE(rig.LeaveIsp());
    EXPECT_EQ(rig.chip->Identity(), kBareQuorvex);
    EXPECT_TRUE(rig.chip->InIspMode());
    EXPECT_EQ(rig.chip->Enumeration(), enumeration + 1);
}

TEST(PowerUp, LeaveRequestOutsideIspModeChangesNothing) {
    SimRig rig(Product(false));
    ASSERT_TRUE(rig.Connect());
    const std::uint64_t enumeration = rig.chip->Enumeration();
    EXPECT_TRUE(rig.LeaveIsp());
    EXPECT_EQ(rig.chip->Enumeration(), enumeration);
    EXPECT_TRUE(rig.WriteReg(0x00, 0x0D)) << "the handle is still good";
}

TEST(PowerUp, RestartClearsRegistersAndIspMode) {
    SimRig rig(Product(false));
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.EnterIsp());
    ASSERT_TRUE(rig.WriteReg(0x00, 0x0D));
    ASSERT_TRUE(rig.WriteReg(0x07, 0x10));
    EXPECT_EQ(rig.chip->Register(0x0D, 0x07), 0x10);
    rig.bus.PowerCycle("1-2");
    EXPECT_EQ(rig.chip->SelectedBank(), 0);
    EXPECT_EQ(rig.chip->Register(0x0D, 0x07), 0x00);
    EXPECT_FALSE(rig.chip->InIspMode());
}

// A board with a supply of its own keeps running while its cable is out:
// plugged back, it is met in the mode it was left in; only a power loss
// restarts it.
TEST(PowerUp, ASelfPoweredProductKeepsItsModeWhileUnplugged) {
    sim::ProductConfig config = Product(false);
    config.busPowered = false;
    SimRig rig(config);
    ASSERT_TRUE(rig.Connect());
    ASSERT_TRUE(rig.EnterIsp());
    rig.bus.Unplug("1-2");
    rig.bus.Plug("1-2", rig.chip);
    EXPECT_TRUE(rig.chip->PassThroughOpen());
    EXPECT_EQ(rig.chip->Boots(), 1u);
    rig.bus.PowerCycle("1-2");
    EXPECT_FALSE(rig.chip->InIspMode());
    EXPECT_EQ(rig.chip->Boots(), 2u);
}

TEST(PowerUp, ProductLeavesTheFactoryWithItsFlashProtected) {
    SimRig rig(Product(false));
    const sim::SpiFlash& flash = rig.chip->Flash();
    EXPECT_TRUE(flash.IsProtected(0));
    EXPECT_TRUE(sim::HoldsCompleteFirmware(flash.Contents()));
    EXPECT_EQ(rig.chip->Params().Pid(), "f068");
    EXPECT_EQ(rig.chip->Params().String(2), "Pale Reed F068");
}

TEST(FirmwareLayout, CompleteOnlyWithBothMarksAndAFittingLength) {
    std::vector<std::uint8_t> flash(0x1000, 0xFF);
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x100, 1);
    std::copy(image.begin(), image.end(), flash.begin());
    EXPECT_TRUE(sim::HoldsCompleteFirmware(flash));
    EXPECT_NE(sim::MakeFirmwareImage(0x100, 2), image);

    flash[0xFF] = 0x00;
    EXPECT_FALSE(sim::HoldsCompleteFirmware(flash)) << "end mark damaged";
    flash[0xFF] = 'E';
    flash[5] = 0x20;  // length 0x2000, past the end of the flash
    EXPECT_FALSE(sim::HoldsCompleteFirmware(flash));

    const std::vector<std::uint8_t> tiny = sim::MakeFirmwareImage(0);
    EXPECT_EQ(tiny.size(), sim::kFirmwareMinimumLength);
    EXPECT_TRUE(sim::HoldsCompleteFirmware(tiny));
    std::vector<std::uint8_t> tooShort = {'Q', 'V', 'F', 'W', 12, 0, 0, 0, 'Q', 'V', 'F', 'E'};
    EXPECT_FALSE(sim::HoldsCompleteFirmware(tooShort));
}

}  // namespace
