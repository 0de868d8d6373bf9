// The update steps through the chip commands against each flash model: the
// right order works, and each missing step shows up the way it would on a
// real part.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "chip/flash_commands.h"
#include "chip/registers.h"
#include "sim/firmware_layout.h"
#include "sim_rig.h"

namespace {

using sim_test::SimRig;

struct Steps {
    bool clearStatus = true;
    bool writeDisableAfterWords = true;
};

struct Part {
    sim::FlashModel model;
    sim::FlashTiming timing = sim::FlashTiming::Typical;
};

void PrintTo(const Part& part, std::ostream* out) {
    *out << sim::DatasheetFor(part.model).name << ' ' << sim::FlashTimingName(part.timing);
}

std::string PartName(const ::testing::TestParamInfo<Part>& info) {
    return std::string(sim::DatasheetFor(info.param.model).name) + "_" +
           sim::FlashTimingName(info.param.timing);
}

class UpdateWalkthrough : public ::testing::TestWithParam<Part> {
protected:
    UpdateWalkthrough() : rig(Config()) {}

    static sim::ProductConfig Config() {
        sim::ProductConfig config;
        config.flash = GetParam().model;
        config.timing = GetParam().timing;
        return config;
    }

    bool WaitNotBusy() {
        for (int i = 0; i < 1000; ++i) {
            if ((chip::FlashReadStatus(rig.link) & 0x01) == 0)
                return true;
            rig.link.SleepMs(10);
        }
        return false;
    }

    void ProgramPage(std::uint32_t at, const std::uint8_t* data, std::uint16_t size,
                     const Steps& steps) {
        chip::FlashWriteEnable(rig.link);
        if (rig.chip->Flash().Datasheet().wordProgram) {
            chip::FlashWordProgram(rig.link, at, size, data);
            if (steps.writeDisableAfterWords)
                chip::FlashWriteDisable(rig.link);
        } else {
            chip::FlashPageProgram(rig.link, at, size, data);
            ASSERT_TRUE(WaitNotBusy());
        }
    }

    // Erase, program and protect, as the one-button update does.
    void Update(const std::vector<std::uint8_t>& image, const Steps& steps) {
        ASSERT_TRUE(rig.Connect());
        ASSERT_TRUE(chip::IspMode(rig.link, true));
        chip::ChipIdBytes id{};
        ASSERT_TRUE(chip::FlashReadId(rig.link, id));
        ASSERT_EQ(id, rig.chip->Flash().Datasheet().jedecId);
        if (steps.clearStatus) {
            chip::FlashWriteEnable(rig.link);
            chip::FlashWriteStatus(rig.link, 0x00);
            ASSERT_TRUE(WaitNotBusy());
        }
        chip::FlashWriteEnable(rig.link);
        chip::FlashEraseChip(rig.link);
        ASSERT_TRUE(WaitNotBusy());
        const std::uint16_t page = rig.chip->Flash().Datasheet().wordProgram
                                       ? 256
                                       : rig.chip->Flash().Datasheet().pageSize;
        for (std::uint32_t at = 0; at < image.size(); at += page) {
            ProgramPage(at, image.data() + at, page, steps);
        }
        chip::FlashWriteEnable(rig.link);
        chip::FlashWriteStatus(rig.link, rig.chip->Flash().Datasheet().wordProgram ? 0x7F : 0xFF);
        ASSERT_TRUE(WaitNotBusy());
        ASSERT_TRUE(chip::IspMode(rig.link, false));
    }

    bool FlashHolds(const std::vector<std::uint8_t>& image) const {
        const auto contents = rig.chip->Flash().Contents();
        return std::equal(image.begin(), image.end(), contents.begin());
    }

    SimRig rig;
};

TEST_P(UpdateWalkthrough, FullUpdateBootsTheNewFirmwareProtected) {
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x800, 42);
    Update(image, {});
    EXPECT_TRUE(FlashHolds(image));
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(0));
    EXPECT_TRUE(rig.chip->Flash().IsProtected(0));
    EXPECT_FALSE(rig.chip->Flash().InAaiMode());
}

TEST_P(UpdateWalkthrough, WithoutClearingTheStatusTheProtectedFlashRefusesTheErase) {
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x800, 42);
    const std::vector<std::uint8_t> old(rig.chip->Flash().Contents().begin(),
                                        rig.chip->Flash().Contents().begin() + 0x800);
    Update(image, Steps{.clearStatus = false});
    EXPECT_FALSE(FlashHolds(image));
    EXPECT_TRUE(FlashHolds(old)) << "the old firmware is untouched";
}

// Both ends of the busy-time range: the slow parts take the same update.
TEST_P(UpdateWalkthrough, SecondUpdateOverTheProtectionOfTheFirstSucceeds) {
    Update(sim::MakeFirmwareImage(0x800, 42), {});
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x900, 43);
    Update(image, {});
    EXPECT_TRUE(FlashHolds(image)) << "the write-protect pin is free on the products";
}

TEST_P(UpdateWalkthrough, WithThePinHeldTheLockedStatusRefusesTheClearAndNothingIsErased) {
    rig.chip->Flash().SetWriteProtectHeld(true);
    const sim::FlashDatasheet& sheet = rig.chip->Flash().Datasheet();
    rig.chip->Flash().SetStatusBits(sheet.writableStatusMask);  // lock bit and all BP bits
    const std::vector<std::uint8_t> old(rig.chip->Flash().Contents().begin(),
                                        rig.chip->Flash().Contents().begin() + 0x800);
    Update(sim::MakeFirmwareImage(0x800, 42), {});
    EXPECT_EQ(rig.chip->Flash().StatusRegister(rig.clock.NowUs()) & sheet.writableStatusMask,
              sheet.writableStatusMask);
    EXPECT_TRUE(FlashHolds(old)) << "the old firmware is untouched";
}

INSTANTIATE_TEST_SUITE_P(
    AllParts, UpdateWalkthrough,
    ::testing::Values(Part{sim::FlashModel::Sst25vf016b}, Part{sim::FlashModel::Mx25l1021e},
                      Part{sim::FlashModel::W25q80},
                      Part{sim::FlashModel::Sst25vf016b, sim::FlashTiming::Maximum},
                      Part{sim::FlashModel::Mx25l1021e, sim::FlashTiming::Maximum},
                      Part{sim::FlashModel::W25q80, sim::FlashTiming::Maximum}),
    PartName);

class WordProgramWalkthrough : public UpdateWalkthrough {};

TEST_P(WordProgramWalkthrough, MissingWriteDisableRunsTheNextPageIntoTheOpenSequence) {
    const std::vector<std::uint8_t> image = sim::MakeFirmwareImage(0x200, 42);
    Update(image, Steps{.writeDisableAfterWords = false});
    const auto contents = rig.chip->Flash().Contents();
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 0x100, contents.begin()));
    EXPECT_FALSE(FlashHolds(image));
    // The next page's opening instruction is too long for a continuation and
    // is ignored; its further words carry on the open sequence, one word behind.
    EXPECT_EQ(contents[0x100], image[0x102]);
    EXPECT_EQ(contents[0x101], image[0x103]);
    EXPECT_TRUE(rig.chip->Flash().InAaiMode());
    EXPECT_FALSE(rig.chip->Flash().IsProtected(0)) << "the protection went into the sequence too";
}

INSTANTIATE_TEST_SUITE_P(Sst, WordProgramWalkthrough,
                         ::testing::Values(Part{sim::FlashModel::Sst25vf016b}), PartName);

}  // namespace
