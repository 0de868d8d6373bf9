#include "flash/changed_sectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_flash_rig.h"
#include "flash/flash_state.h"
#include "flash/simple_update.h"
#include "progress_recorder.h"
#include "sim/fault_plan.h"
#include "sim/firmware_layout.h"
#include "sim/product_factory.h"
#include "sim_update_rig.h"
#include "trace_lines.h"

namespace flash_test {
namespace {

constexpr std::uint32_t kTwoSectors = 0x2000;
constexpr std::uint32_t kPage = 256;

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::uint32_t from,
                                std::uint32_t count) {
    return {bytes.begin() + from, bytes.begin() + from + count};
}

// The compare and the verify read 255 bytes at a time, up to and with the
// byte after the image: the compare no further, the verify's block loop in
// whole blocks.
enum class LastBlock { Cut, Whole };

Lines WideReadLines(const std::vector<std::uint8_t>& flash, std::uint32_t last, LastBlock block) {
    Lines lines;
    for (std::uint32_t a = 0; a <= last; a += flash::kWideReadBlockSize) {
        const std::uint32_t count = block == LastBlock::Whole ? 255u : std::min(255u, last - a + 1);
        Append(lines, BlockReadLines(a, Slice(flash, a, count)));
    }
    return lines;
}

std::vector<std::uint8_t> Address(std::uint8_t instruction, std::uint32_t a) {
    return {instruction, static_cast<std::uint8_t>(a >> 16), static_cast<std::uint8_t>(a >> 8),
            static_cast<std::uint8_t>(a)};
}

Lines SectorEraseLines(std::uint32_t a) {
    Lines lines = {InstructionLine({0x06}), InstructionLine(Address(0x20, a)), SleepLine(10)};
    Append(lines, StatusReadLines(0x00));
    return lines;
}

// Pages from `first` to `end` of a 256-byte-page part, then the status read
// after the last one.
Lines PageLines(const std::vector<std::uint8_t>& image, std::uint32_t first, std::uint32_t end) {
    Lines lines;
    for (std::uint32_t a = first; a < end; a += kPage) {
        Append(lines, StatusReadLines(0x00));
        Append(lines,
               {InstructionLine({0x06}), "43 80 0000 0000 4 " + Hex(Address(0x02, a)) + " ok",
                "43 80 0000 0001 256 " + Hex(Slice(image, a, kPage)) + " ok", SleepLine(1),
                "c3 83 0000 0000 1 01 ok"});
    }
    Append(lines, StatusReadLines(0x00));
    return lines;
}

class ChangedOnlySequence : public ::testing::Test {
protected:
    ChangedOnlySequence() : buffer(0x40000, 0xFF) {
        for (std::uint32_t i = 0; i < kTwoSectors; ++i)
            buffer[i] = static_cast<std::uint8_t>(i * 7 + 1);
        std::copy_n(buffer.begin(), kTwoSectors, rig.Memory().begin());
    }

    flash::UpdateResult Run() {
        return flash::RunSimpleUpdate(rig.Link(), {buffer, kTwoSectors}, state, recorder, recorder,
                                      {}, flash::UpdateMode::ChangedOnly);
    }

    // Up to and with the compare, which every changed-only run starts with.
    Lines Opening() {
        Lines lines = {"open ok"};
        Append(lines, IspEnterLines());
        Append(lines, PrepareLines());
        Append(lines, StatusReadLines(0x00));
        Append(lines, {InstructionLine({0x06}), InstructionLine({0x01, 0x00})});
        Append(lines, StatusReadLines(0x00));
        Append(lines, WideReadLines(rig.Memory(), kTwoSectors, LastBlock::Cut));
        return lines;
    }

    static Lines Closing() {
        Lines lines = {InstructionLine({0x06}), InstructionLine({0x01, 0xFF})};
        Append(lines, StatusReadLines(0xFC));
        Append(lines, IspLeaveLines());
        lines.push_back("close");
        return lines;
    }

    FakeFlashRig rig;
    std::vector<std::uint8_t> buffer;
    flash::FlashState state;
    ProgressRecorder recorder;
};

// One byte differs in the second sector: that sector and the boot sector are
// erased, the boot sector first; the boot sector is written last, its first
// page (the boot header) at the very end; then the whole image is verified.
TEST_F(ChangedOnlySequence, RewritesTheChangedSectorInsideTheBootSector) {
    rig.Memory()[0x1804] ^= 0xFF;
    Lines expected = Opening();
    Append(expected, SectorEraseLines(0x0000));
    Append(expected, SectorEraseLines(0x1000));
    Append(expected, PageLines(buffer, 0x1000, 0x2000));
    Append(expected, PageLines(buffer, 0x0100, 0x1000));
    Append(expected, PageLines(buffer, 0x0000, 0x0100));
    Append(expected, WideReadLines(buffer, kTwoSectors, LastBlock::Whole));
    Append(expected, Closing());

    const flash::UpdateResult result = Run();
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_TRUE(result.succeeded);
    EXPECT_FALSE(result.alreadyUpToDate);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + kTwoSectors, rig.Memory().begin()));
}

// The flash already holds the image: the compare, then straight to the
// protection, with "already up to date" on the panel and no erase sent.
TEST_F(ChangedOnlySequence, IdenticalImageEndsAfterTheCompare) {
    Lines expected = Opening();
    Append(expected, Closing());

    const flash::UpdateResult result = Run();
    EXPECT_TRUE(TraceIs(rig.Lines(), expected));
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(result.alreadyUpToDate);
    EXPECT_EQ(recorder.Last("panel"), "already up to date");
}

// A flash that cannot be read is not written: the run ends at the compare,
// the protection restored.
TEST_F(ChangedOnlySequence, UnreadableFlashStopsBeforeAnyErase) {
    rig.SetReadHook(
        [](std::uint32_t address, std::span<std::uint8_t>) { return address != 0x1FE; });
    const flash::UpdateResult result = Run();
    EXPECT_FALSE(result.succeeded);
    ASSERT_TRUE(result.failedStep.has_value());
    EXPECT_EQ(*result.failedStep, flash::UpdateStep::Compare);
    EXPECT_EQ(result.failure.address, 0x1FEu);
    EXPECT_EQ(CountStartingWith(rig.Lines(), "43 80 0000 0001 4 20"), 0);
    const Lines closing = Closing();
    EXPECT_TRUE(std::equal(closing.rbegin(), closing.rend(), rig.Lines().rbegin()));
}

// On every simulated part: the flash ends holding exactly the new image,
// protected, and the product boots from it; the bar only rises.
class ChangedOnlyOnEachPart : public ::testing::TestWithParam<sim::FlashModel> {};

TEST_P(ChangedOnlyOnEachPart, LeavesTheNewImageProtectedAndBooting) {
    SimUpdateRig rig(GetParam());
    rig.LoadImage(0x3000, 0x21);
    ASSERT_TRUE(rig.RunStart().succeeded);
    rig.buffer[0x2345] ^= 0x5A;
    rig.recorder.shares.clear();
    const flash::UpdateResult result =
        flash::RunSimpleUpdate(rig.link, {rig.buffer, rig.imageLength}, rig.state, rig.recorder,
                               rig.recorder, {}, flash::UpdateMode::ChangedOnly);
    EXPECT_TRUE(result.succeeded) << flash::FailureCause(result);
    EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
    EXPECT_TRUE(rig.StatusHoldsProtection(flash::ProtectionValueFor(rig.state.profile)));
    EXPECT_TRUE(rig.chip->SaveVolatile().firmwareRunning);
    EXPECT_TRUE(std::is_sorted(rig.recorder.shares.begin(), rig.recorder.shares.end()));
    EXPECT_EQ(rig.recorder.shares.back(), 1.0);
    EXPECT_EQ(CountOf(rig.trace.Lines(), InstructionLine({0xC7})), 1);  // the first, full run's
}

INSTANTIATE_TEST_SUITE_P(Parts, ChangedOnlyOnEachPart,
                         ::testing::Values(sim::FlashModel::Sst25vf016b,
                                           sim::FlashModel::Mx25l1021e, sim::FlashModel::W25q80));

// A run cut by a power loss at any request leaves either the old image or
// the new one whole, or nothing the chip starts: never a mix that boots.
TEST(ChangedOnlyCut, NeverLeavesAMixThatBoots) {
    constexpr std::uint32_t kLength = 0x2000;
    const std::vector<std::uint8_t> before = sim::MakeFirmwareImage(kLength, 0x21);
    std::vector<std::uint8_t> after = before;
    after[0x1345] ^= 0x5A;
    const auto holds = [](const SimUpdateRig& rig, const std::vector<std::uint8_t>& image) {
        return std::equal(image.begin(), image.end(), rig.chip->Flash().Contents().begin());
    };
    int cuts = 0;
    for (std::uint64_t cut = 1;; ++cut) {
        SimUpdateRig rig(sim::FlashModel::W25q80);
        rig.chip->Flash().Load(0, before);
        std::copy(after.begin(), after.end(), rig.buffer.begin());
        sim::FaultPlan plan;
        plan.powerLossAtRequest = cut;
        rig.backend.SetFaultPlan(plan);
        const bool finished =
            flash::RunSimpleUpdate(rig.link, {rig.buffer, kLength}, rig.state, rig.recorder,
                                   rig.recorder, {}, flash::UpdateMode::ChangedOnly)
                .succeeded;
        if (finished)
            break;
        ++cuts;
        if (sim::HoldsCompleteFirmware(rig.chip->Flash().Contents())) {
            EXPECT_TRUE(holds(rig, before) || holds(rig, after)) << "cut at request " << cut;
        }
    }
    EXPECT_GT(cuts, 100);
}

}  // namespace
}  // namespace flash_test
