// A device that stops answering in the middle of "Start": after three failed
// requests in a row the run stops where it is, says at which step, and sends
// nothing more to the device, instead of polling it to the end of every loop.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "sim/fault_plan.h"
#include "sim_update_rig.h"

namespace flash_test {
namespace {

using sim::FlashModel;

struct SilencePoint {
    const char* stepWord;    // as the message names it
    const char* shownFirst;  // the text after which the device falls silent
    flash::UpdateStep step;
};

constexpr SilencePoint kPoints[] = {
    {"erase", "panel: Flash Erase All ", flash::UpdateStep::Erase},
    {"blank check", "panel: Start Blanking Check", flash::UpdateStep::BlankCheck},
    {"program", "addr: 0x004000", flash::UpdateStep::Program},
    {"verify", "panel: Start Verifying Check", flash::UpdateStep::Verify},
    {"protection", "panel: Verifying Success", flash::UpdateStep::Protect},
};

class SilentDevice : public ::testing::TestWithParam<std::tuple<FlashModel, SilencePoint>> {};

TEST_P(SilentDevice, TheRunStopsAfterThreeFailedRequestsAndSaysWhere) {
    // Named, not bound: a lambda below captures `point`, and Clang 14 cannot
    // capture a structured binding.
    const FlashModel model = std::get<0>(GetParam());
    const SilencePoint& point = std::get<1>(GetParam());
    SimUpdateRig rig(model);
    rig.LoadImage(0x8000);
    std::uint64_t callsAtSilence = 0;
    std::uint64_t timeAtSilence = 0;
    bool silent = false;
    rig.recorder.onText = [&](const std::string& text) {
        if (silent || text != point.shownFirst)
            return;
        silent = true;
        callsAtSilence = rig.backend.Counters().controlCalls;
        timeAtSilence = rig.clock.NowUs();
        sim::FaultPlan plan;
        plan.unplugAtRequest = 1;  // every request from the next one on fails
        rig.backend.SetFaultPlan(plan);
    };
    const flash::UpdateResult result = rig.RunStart();
    ASSERT_TRUE(silent);
    const std::string text =
        std::string("The device stopped answering at the ") + point.stepWord + " step";
    EXPECT_FALSE(result.succeeded);
    EXPECT_TRUE(result.stoppedAnswering);
    EXPECT_EQ(result.failedStep, point.step);
    EXPECT_EQ(flash::FailureCause(result), text);
    EXPECT_EQ(rig.recorder.Last("panel"), text);
    // At most the three failures reached the bus (fewer when the device could
    // not even be opened again); the loops and the closing steps then fell
    // through without waiting (an erase poll alone is 10 s).
    EXPECT_LE(rig.backend.Counters().controlCalls - callsAtSilence, 3u);
    EXPECT_LT(rig.clock.NowUs() - timeAtSilence, 50'000u);
    // The next run starts with a clean count.
    EXPECT_FALSE(rig.link.StoppedAnswering());
}

INSTANTIATE_TEST_SUITE_P(StepsAndModels, SilentDevice,
                         ::testing::Combine(::testing::Values(FlashModel::Sst25vf016b,
                                                              FlashModel::Mx25l1021e,
                                                              FlashModel::W25q80),
                                            ::testing::ValuesIn(kPoints)),
                         [](const auto& info) {
                             std::string name = sim::DatasheetFor(std::get<0>(info.param)).name;
                             name += "_";
                             for (const char* c = std::get<1>(info.param).stepWord; *c != '\0'; ++c)
                                 name += *c == ' ' ? '_' : *c;
                             return name;
                         });

}  // namespace
}  // namespace flash_test
