// Every fault the simulated chip can suffer, at positions spread over every
// step of the one-button update, on every flash model. Each run must end in a
// reported failure or in a success with exactly the image in the flash, in
// bounded (virtual) time; and after it, the user's recovery -- unplug and plug
// the device back, press "Start" again on whatever came back -- must leave the
// product running the image.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "flash/flash_state.h"
#include "flash/simple_update.h"
#include "sim/fault_names.h"
#include "sim/flash_model.h"
#include "sim/sim_chip.h"
#include "sim_update_rig.h"

namespace flash_test {
namespace {

using sim::FaultKind;
using sim::FlashModel;

constexpr std::uint32_t kMatrixImageLength = 0x1000;
constexpr std::uint64_t kLeastPositions = 24;
// Far beyond a slow part's whole-chip erase and every poll bound of the tool:
// a run that takes longer on the virtual clock waits on something that never ends.
constexpr std::uint64_t kRunBoundUs = 300'000'000;

// The control call at which each step of a clean run begins (the first time
// the panel shows its text), in order, and the number of calls of the run.
struct StepStarts {
    std::vector<std::uint64_t> starts;
    std::uint64_t total = 0;
};

StepStarts MeasureCleanRun(FlashModel model) {
    SimUpdateRig rig(model);
    rig.LoadImage(kMatrixImageLength);
    StepStarts steps;
    const std::uint64_t before = rig.backend.Counters().controlCalls;
    std::vector<std::string> shown;
    rig.recorder.onText = [&](const std::string& text) {
        if (!text.starts_with("panel: ") ||
            std::find(shown.begin(), shown.end(), text) != shown.end())
            return;
        shown.push_back(text);
        steps.starts.push_back(rig.backend.Counters().controlCalls - before + 1);
    };
    EXPECT_TRUE(rig.RunStart().succeeded);
    steps.total = rig.backend.Counters().controlCalls - before;
    return steps;
}

// Evenly spread positions inside each step, from its first call to the call
// before the next step (at least two per step, kLeastPositions in all), and
// the run's last call.
std::vector<std::uint64_t> PositionsOver(const StepStarts& steps) {
    const std::uint64_t count = steps.starts.size();
    const std::uint64_t perStep = std::max<std::uint64_t>(2, (kLeastPositions + count - 1) / count);
    std::vector<std::uint64_t> positions;
    for (std::size_t i = 0; i < steps.starts.size(); ++i) {
        const std::uint64_t first = steps.starts[i];
        const std::uint64_t end =
            i + 1 < steps.starts.size() ? steps.starts[i + 1] : steps.total + 1;
        for (std::uint64_t k = 0; k < perStep; ++k)
            positions.push_back(first + (end - first) * k / perStep);
    }
    positions.push_back(steps.total);
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

struct Tally {
    int runs = 0;
    int failedReported = 0;
    int succeeded = 0;
    int recovered = 0;
    std::uint64_t longestRunUs = 0;
};

class FaultMatrix : public ::testing::TestWithParam<std::tuple<FlashModel, FaultKind>> {
protected:
    FlashModel Model() const { return std::get<0>(GetParam()); }
    FaultKind Kind() const { return std::get<1>(GetParam()); }

    // One faulted run and the recovery after it.
    void RunAt(std::uint64_t position) {
        SCOPED_TRACE("fault at call " + std::to_string(position));
        SimUpdateRig rig(Model());
        rig.LoadImage(kMatrixImageLength);
        sim::FaultPlan plan;
        sim::AddFault(plan, Kind(), position);
        rig.backend.SetFaultPlan(plan);
        const std::uint64_t started = rig.clock.NowUs();
        const flash::UpdateResult result = rig.RunStart();
        const std::uint64_t took = rig.clock.NowUs() - started;

        ++tally.runs;
        tally.longestRunUs = std::max(tally.longestRunUs, took);
        EXPECT_LT(took, kRunBoundUs);
        if (result.succeeded) {
            ++tally.succeeded;
            EXPECT_TRUE(rig.FlashHoldsExactlyTheImage());
        } else {
            ++tally.failedReported;
            EXPECT_TRUE(result.failedStep.has_value());
            EXPECT_FALSE(flash::FailureCause(result).empty());
        }
        EXPECT_EQ(rig.backend.OpenHandleCount(), 0);
        if (Recover(rig))
            ++tally.recovered;
    }

    // Unplug and plug back, then "Start" on the product or the bare ISP chip,
    // whichever the boot rule brought up. True when the product is back with
    // the image.
    static bool Recover(SimUpdateRig& rig) {
        rig.backend.ClearFaultPlan();
        rig.backend.Unplug(SimUpdateRig::kLocation);
        rig.backend.Plug(SimUpdateRig::kLocation, rig.chip);
        const flash::UpdateResult result = rig.RunStartAgain();
        EXPECT_TRUE(result.succeeded) << "recovery: " << flash::FailureCause(result);
        const ::testing::AssertionResult image = rig.FlashHoldsExactlyTheImage();
        EXPECT_TRUE(image) << "after the recovery";
        const sim::UsbIdentity back = rig.chip->Identity();
        EXPECT_EQ(back, rig.chip->ProductIdentity()) << MatchStringFor(back);
        return result.succeeded && image && back == rig.chip->ProductIdentity();
    }

    Tally tally;
};

TEST_P(FaultMatrix, EndsInAClearOutcomeAndRecovers) {
    const StepStarts steps = MeasureCleanRun(Model());
    const std::vector<std::uint64_t> positions = PositionsOver(steps);
    ASSERT_GE(positions.size(), 20u);
    for (const std::uint64_t position : positions)
        RunAt(position);
    std::printf(
        "%-12s %-12s %3d runs: %3d failed (reported), %3d succeeded with the image, "
        "%3d recovered; longest run %.1f s virtual\n",
        sim::DatasheetFor(Model()).name, sim::FaultKindName(Kind()), tally.runs,
        tally.failedReported, tally.succeeded, tally.recovered,
        static_cast<double>(tally.longestRunUs) / 1e6);
    EXPECT_EQ(tally.recovered, tally.runs);
}

std::string MatrixName(const ::testing::TestParamInfo<FaultMatrix::ParamType>& info) {
    std::string name = std::string(sim::DatasheetFor(std::get<0>(info.param)).name) + "_" +
                       sim::FaultKindName(std::get<1>(info.param));
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    ModelsAndKinds, FaultMatrix,
    ::testing::Combine(::testing::Values(FlashModel::Sst25vf016b, FlashModel::Mx25l1021e,
                                         FlashModel::W25q80),
                       ::testing::Values(FaultKind::Fail, FaultKind::Unplug, FaultKind::Short,
                                         FaultKind::StuckBusy, FaultKind::NeverReady,
                                         FaultKind::Corrupt, FaultKind::PowerLoss)),
    MatrixName);

}  // namespace
}  // namespace flash_test
