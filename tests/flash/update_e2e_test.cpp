// The one-button update end to end against the simulated product, once per
// flash model and image size for success and once per injected fault.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "sim/fault_plan.h"
#include "sim/product_factory.h"
#include "sim_update_rig.h"
#include "trace_lines.h"
#include "usb/guid.h"

namespace flash_test {
namespace {

using sim::FlashModel;

std::string ModelName(FlashModel model) {
    return sim::DatasheetFor(model).name;
}

std::uint8_t ProtectionFor(FlashModel model) {
    return sim::DatasheetFor(model).wordProgram ? 0x7F : 0xFF;
}

// One token per request or pause that matters for the order of the run;
// ready queries, fetches and the ISP register writes belong to their command.
std::string TokenOf(const std::string& line) {
    if (line == "open ok" || line == "close")
        return line;
    if (line.starts_with("c3 83 ") || line.starts_with("c3 82 ") || line.starts_with("43 90 "))
        return "";
    if (line.starts_with("43 84 "))
        return "isp enter";
    if (line.starts_with("43 85 "))
        return "isp leave";
    if (line.starts_with("43 81 0003 0001 1 9f "))
        return "read id";
    if (line.starts_with("43 81 0001 0001 1 05 ") || line.starts_with("sleep "))
        return "poll";
    if (line.starts_with("43 81 0040 0001 4 03"))
        return "read block";
    if (line.starts_with("43 80 0000 0001 1 06 "))
        return "write enable";
    if (line.starts_with("43 80 0000 0001 1 04 "))
        return "write disable";
    if (line.starts_with("43 80 0000 0001 1 c7 "))
        return "chip erase";
    if (line.starts_with("43 80 0000 0001 2 01"))
        return "write status " + line.substr(20, 2);
    if (line.starts_with("43 80 0000 0000 4 02"))
        return "page program";
    if (line.starts_with("43 80 0000 0001 6 ad") || line.starts_with("43 80 0000 0001 3 ad"))
        return "word program";
    if (line.starts_with("43 80 0000 0001 "))
        return "page data";
    return "unexpected: " + line;
}

// The run as tokens, repeats folded, with the programming part (between the
// blank-check and verify reads) folded into one "programming" token after its
// tokens were checked against `allowed`.
std::vector<std::string> RunShape(const Lines& lines, const std::set<std::string>& allowed) {
    std::vector<std::string> shape;
    for (const std::string& line : lines) {
        const std::string token = TokenOf(line);
        if (!token.empty() && (shape.empty() || shape.back() != token))
            shape.push_back(token);
    }
    const auto blank = std::find(shape.begin(), shape.end(), "read block");
    const auto verify = std::find(blank + 1, shape.end(), "read block");
    for (auto it = blank + 1; it != verify; ++it) {
        EXPECT_TRUE(allowed.contains(*it)) << "in programming: " << *it;
    }
    shape.erase(blank + 1, verify);
    shape.insert(blank + 1, "programming");
    return shape;
}

// Panel texts with the erase progress folded into one.
std::vector<std::string> PanelSteps(const ProgressRecorder& recorder) {
    std::vector<std::string> steps;
    for (const std::string& text : recorder.To("panel")) {
        const bool erase = text.starts_with("Flash Erase All ");
        if (erase && !steps.empty() && steps.back() == "Flash Erase All")
            continue;
        steps.push_back(erase ? "Flash Erase All" : text);
    }
    return steps;
}

class UpdateSucceeds : public ::testing::TestWithParam<std::tuple<FlashModel, std::uint32_t>> {};

TEST_P(UpdateSucceeds, FlashHoldsTheImageProtectedAndTheChipRunsIt) {
    const auto [model, length] = GetParam();
    SimUpdateRig rig(model);
    rig.LoadImage(length);
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
    EXPECT_TRUE(rig.StatusHoldsProtection(ProtectionFor(model)));
    EXPECT_FALSE(rig.chip->InIspMode());
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(0));
    EXPECT_EQ(PanelSteps(rig.recorder),
              (std::vector<std::string>{
                  "Enter ISP Mode", "Clear Status register", "Flash Erase All",
                  "Start Blanking Check", "Blanking Success", "Start Programming",
                  "Programming Success", "Start Verifying Check", "Verifying Success"}));
    EXPECT_EQ(rig.recorder.shares.back(), 1.0);
}

TEST_P(UpdateSucceeds, RequestsFollowTheOneButtonOrder) {
    const auto [model, length] = GetParam();
    SimUpdateRig rig(model);
    rig.LoadImage(length);
    rig.RunStart();
    const std::set<std::string> programming =
        sim::DatasheetFor(model).wordProgram
            ? std::set<std::string>{"poll", "write enable", "word program", "write disable"}
            : std::set<std::string>{"poll", "write enable", "page program", "page data"};
    const std::string protection = ProtectionFor(model) == 0x7F ? "7f" : "ff";
    EXPECT_EQ(RunShape(rig.trace.Lines(), programming),
              (std::vector<std::string>{"open ok",
                                        "isp enter",
                                        "poll",
                                        "write disable",
                                        "read id",
                                        "poll",
                                        "write enable",
                                        "write status 00",
                                        "poll",
                                        "write enable",
                                        "chip erase",
                                        "poll",
                                        "close",
                                        "open ok",
                                        "read block",
                                        "programming",
                                        "read block",
                                        "write enable",
                                        "write status " + protection,
                                        "poll",
                                        "isp leave",
                                        "close"}));
}

INSTANTIATE_TEST_SUITE_P(ModelsAndSizes, UpdateSucceeds,
                         ::testing::Combine(::testing::Values(FlashModel::Sst25vf016b,
                                                              FlashModel::Mx25l1021e,
                                                              FlashModel::W25q80),
                                            ::testing::Values(0x8000u, 0x10000u)),
                         [](const auto& info) {
                             return ModelName(std::get<0>(info.param)) + "_" +
                                    std::to_string(std::get<1>(info.param) / 1024) + "KiB";
                         });

// Parts at the slow end of their datasheets: every wait must hold, above all
// the one for the last page program before the verify reads it back.
class SlowPartUpdate : public ::testing::TestWithParam<FlashModel> {};

TEST_P(SlowPartUpdate, SucceedsWithTheFlashHoldingTheImage) {
    SimUpdateRig rig(GetParam(), sim::FlashTiming::Maximum);
    rig.LoadImage(0x10000);
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_TRUE(result.succeeded) << result.failure.cause;
    EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
    EXPECT_EQ(rig.chip->Identity(), sim::ProductIdentity(0));
}

INSTANTIATE_TEST_SUITE_P(Models, SlowPartUpdate,
                         ::testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                           FlashModel::W25q80),
                         [](const auto& info) { return ModelName(info.param); });

class UpdateFails : public ::testing::TestWithParam<FlashModel> {
protected:
    UpdateFails() : rig(GetParam()) { rig.LoadImage(0x8000); }

    // Protection and the ISP leave follow whatever failed, and the device is closed.
    void ExpectClosingSteps() {
        const Lines& lines = rig.trace.Lines();
        const std::string protection = "43 80 0000 0001 2 01" + Hex({ProtectionFor(GetParam())});
        const auto write = std::find_if(lines.rbegin(), lines.rend(), [&](const std::string& l) {
            return l.starts_with(protection);
        });
        ASSERT_NE(write, lines.rend()) << "no protection write";
        EXPECT_TRUE((write + 1)->starts_with("43 80 0000 0001 1 06 "));
        EXPECT_EQ(CountStartingWith(lines, "43 85 29e6 1a9d 0 -"), 1);
        EXPECT_EQ(lines.back(), "close");
        EXPECT_EQ(rig.backend.OpenHandleCount(), 0);
    }

    // From the verify step on, the byte at `address` reads wrong `times` times,
    // after programming wrote it right.
    void CorruptReadsOnceVerifyStarts(std::uint32_t address, std::uint32_t times) {
        rig.recorder.onText = [this, address, times](const std::string& text) {
            if (text != "panel: Start Verifying Check")
                return;
            sim::FaultPlan plan;
            plan.corruptReads = sim::FaultPlan::CorruptReads{address, 0x01, times};
            rig.backend.SetFaultPlan(plan);
        };
    }

    SimUpdateRig rig;
};

TEST_P(UpdateFails, EraseTimeOutOnAStuckBusyFlash) {
    sim::FaultPlan plan;
    plan.flashStuckBusyAfter = 1;  // the status clearing ends, the erase never does
    rig.backend.SetFaultPlan(plan);
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Erase);
    EXPECT_EQ(rig.recorder.Last("panel"), "Erase Flash Fail");
    EXPECT_EQ(CountStartingWith(rig.trace.Lines(), "43 81 0040"), 0);
    ExpectClosingSteps();
}

TEST_P(UpdateFails, BlankCheckOnANonBlankByte) {
    sim::FaultPlan plan;
    plan.corruptReads = sim::FaultPlan::CorruptReads{0x1234, 0x20, 3};
    rig.backend.SetFaultPlan(plan);
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_EQ(result.failedStep, flash::UpdateStep::BlankCheck);
    EXPECT_EQ(rig.recorder.Last("panel"), "Start Blanking Check");
    EXPECT_EQ(rig.recorder.Last("step"), "Blanking Fail at 0x001234");
    EXPECT_EQ(rig.recorder.Last("addr"), "Blanking Addr: 0x001200");
    ExpectClosingSteps();
}

TEST_P(UpdateFails, VerifyOnThreeCorruptedReadsInARow) {
    CorruptReadsOnceVerifyStarts(0x4321, 3);
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Verify);
    EXPECT_EQ(rig.recorder.Last("panel"), "Start Verifying Check");
    EXPECT_EQ(rig.recorder.Last("step"), "Verifying Fail at 0x004321");
    EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
    ExpectClosingSteps();
}

TEST_P(UpdateFails, VerifyRecoversFromASingleCorruptedRead) {
    CorruptReadsOnceVerifyStarts(0x4321, 1);
    EXPECT_TRUE(rig.RunStart().succeeded);
    EXPECT_EQ(rig.recorder.Last("panel"), "Verifying Success");
}

// Replies cut short during the verify once passed over bytes never read.
TEST_P(UpdateFails, ShortRepliesDuringTheVerifyFailIt) {
    rig.recorder.onText = [this](const std::string& text) {
        if (text != "panel: Start Verifying Check")
            return;
        sim::FaultPlan plan;
        plan.shortReplies = sim::FaultPlan::ShortReplies{1, UINT64_MAX, 32};
        rig.backend.SetFaultPlan(plan);
    };
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Verify);
}

// The protection write lost: the firmware is in place, and the user is told
// that the protection is not.
TEST_P(UpdateFails, AProtectionThatDidNotTakeIsReportedBesideTheSuccess) {
    rig.recorder.onText = [this](const std::string& text) {
        if (text != "panel: Verifying Success")
            return;
        sim::FaultPlan plan;
        plan.failRequest = 2;  // write enable, then the status write
        rig.backend.SetFaultPlan(plan);
    };
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_TRUE(result.succeeded);
    EXPECT_TRUE(result.protectionNotSet);
    EXPECT_EQ(flash::UpdateSuccessNote(result),
              "The firmware is written and verified, but the flash protection could not be set");
}

// A 160 KiB image on the 128 KiB part would erase the product and wrap round.
TEST(UpdateRefused, AnImageLargerThanTheFlashIsRefusedBeforeAnythingIsErased) {
    SimUpdateRig rig(FlashModel::Mx25l1021e);
    rig.LoadImage(0x28000);
    const std::vector<std::uint8_t> before(rig.chip->Flash().Contents().begin(),
                                           rig.chip->Flash().Contents().end());
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_EQ(result.failedStep, flash::UpdateStep::CheckSize);
    EXPECT_EQ(flash::UpdateFailureMessage(result),
              "The update file (160 KiB) is larger than the flash of this device (128 KiB); "
              "nothing was changed.");
    EXPECT_TRUE(std::equal(before.begin(), before.end(), rig.chip->Flash().Contents().begin()));
    EXPECT_FALSE(rig.chip->InIspMode());
}

// An image that fills the 128 KiB part exactly: the address one past it,
// which the checks include, would wrap round to address 0.
TEST(UpdateRefused, AnImageThatFillsTheFlashExactlyGoesThrough) {
    SimUpdateRig rig(FlashModel::Mx25l1021e);
    rig.LoadImage(0x20000);
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_TRUE(result.succeeded) << flash::FailureCause(result);
    EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
}

// An earlier run that lost its last write disable left the SST part in word
// mode, where it ignores everything else and reads its ID as FF FF FF; the
// next "Start" ends that mode first and goes through.
TEST(UpdateAfterAnInterruptedRun, AFlashLeftInWordModeIsUpdatedByTheNextStart) {
    SimUpdateRig rig(FlashModel::Sst25vf016b);
    rig.LoadImage(0x8000);
    const std::uint8_t writeEnable[] = {0x06};
    const std::uint8_t firstWord[] = {0xAD, 0x00, 0x00, 0x00, 0xFF, 0xFF};
    rig.chip->Flash().SetStatusBits(0x00);
    rig.chip->Flash().Execute(writeEnable, {}, rig.clock.NowUs());
    rig.chip->Flash().Execute(firstWord, {}, rig.clock.NowUs());
    rig.clock.AdvanceUs(1000);
    ASSERT_TRUE(rig.chip->Flash().InAaiMode());
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_TRUE(result.succeeded) << flash::FailureCause(result);
    EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
}

TEST_P(UpdateFails, UnpluggedWhileProgrammingThenBackAsTheBareIspChip) {
    rig.recorder.onText = [this](const std::string& text) {
        if (text != "addr: 0x004000")
            return;
        sim::FaultPlan plan;
        plan.unplugAtRequest = 1;
        rig.backend.SetFaultPlan(plan);
    };
    const flash::UpdateResult result = rig.RunStart();
    EXPECT_FALSE(result.succeeded);
    // Every model notices the loss at the first program request that fails
    // and writes nothing further.
    EXPECT_EQ(result.failedStep, flash::UpdateStep::Program);
    EXPECT_EQ(rig.recorder.Last("panel"), "The device stopped answering at the program step");
    EXPECT_EQ(result.failure.address, 0x4000u);
    EXPECT_EQ(rig.backend.Locations(), std::vector<std::string>{});
    ExpectClosingSteps();

    rig.backend.Plug(SimUpdateRig::kLocation, rig.chip);
    EXPECT_TRUE(rig.chip->InIspMode());
    EXPECT_EQ(rig.chip->Identity(), (sim::UsbIdentity{sim::kIspVidQuorvex, sim::kIspPid, false}));
    const auto paths = rig.backend.ListInterfacePaths(usb::kUsbDeviceInterfaceClass);
    ASSERT_TRUE(paths.has_value());
    ASSERT_EQ(paths->size(), 1u);
    EXPECT_NE((*paths)[0].find("vid_2fc6&pid_6000"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Models, UpdateFails,
                         ::testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                           FlashModel::W25q80),
                         [](const auto& info) { return ModelName(info.param); });

}  // namespace
}  // namespace flash_test
