// An update cut off during its chip erase leaves the erase running inside the
// part (a short reply, or a cable pulled from a product with its own supply),
// and the next run of the tool meets the chip as the simulator's state file
// keeps it: still in ISP mode, the flash busy for the rest of the erase.
// Wherever in the erase step the first run was cut (at the erase instruction
// or at any request of any status poll after it), the plain rerun must wait
// for the erase to end and bring the product back with the image in its flash.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>

#include "flash/update_result.h"
#include "sim/fault_names.h"
#include "sim/fault_plan.h"
#include "sim/flash_model.h"
#include "sim/sim_chip.h"
#include "sim_update_rig.h"
#include "support/update_run_map.h"

namespace flash_test {
namespace {

using sim::FaultKind;
using sim::FlashModel;

constexpr std::uint32_t kCutImageLength = 0x1000;

class InterruptedErase : public ::testing::TestWithParam<std::tuple<FlashModel, FaultKind>> {
protected:
    FlashModel Model() const { return std::get<0>(GetParam()); }
    FaultKind Kind() const { return std::get<1>(GetParam()); }
    // Unplugged, a bus-powered product loses power and its erase stops; one
    // with its own supply goes on erasing.
    SimUpdateRig MakeRig() const {
        return SimUpdateRig(Model(), sim::FlashTiming::Typical, Kind() != FaultKind::Unplug);
    }

    // A clean run, request by request as a fault plan set at its start numbers them.
    test_support::UpdateRunMap MapCleanRun() const {
        SimUpdateRig rig = MakeRig();
        rig.LoadImage(kCutImageLength);
        rig.backend.ClearFaultPlan();
        rig.backend.SetLogging(true);
        EXPECT_TRUE(rig.RunStart().succeeded);
        test_support::UpdateRunMap map;
        for (const sim::SimBackend::LoggedRequest& request : rig.backend.Log())
            map.Note(request.planNumber, request.setup.request, request.data);
        return map;
    }

    ::testing::AssertionResult ComesBackAfterACutAt(std::uint64_t request) {
        SimUpdateRig rig = MakeRig();
        rig.LoadImage(kCutImageLength);
        rig.link.SetTrace(nullptr);  // hundreds of runs; none of them is read line by line
        sim::FaultPlan plan;
        sim::AddFault(plan, Kind(), request);
        rig.backend.SetFaultPlan(plan);
        if (rig.RunStart().succeeded)
            return ::testing::AssertionFailure() << "the cut run succeeded";
        // What the state file keeps and what loading it does: the same chip
        // plugged in again, its volatile state (the erase with it) restored.
        const sim::ChipVolatileState kept = rig.chip->SaveVolatile();
        rig.backend.ClearFaultPlan();
        rig.backend.Plug(SimUpdateRig::kLocation, rig.chip);
        rig.chip->RestoreVolatile(kept);
        if (rig.chip->Flash().IsBusy(rig.clock.NowUs()))
            ++rerunsOnABusyFlash;
        const flash::UpdateResult result = rig.RunStartAgain();
        if (!result.succeeded) {
            return ::testing::AssertionFailure() << "the rerun " << flash::FailureCause(result);
        }
        if (::testing::AssertionResult image = rig.FlashHoldsExactlyTheImage(); !image)
            return image;
        if (rig.chip->InIspMode() || rig.chip->Identity() != rig.chip->ProductIdentity())
            return ::testing::AssertionFailure() << "the product is not back";
        return ::testing::AssertionSuccess();
    }

    int rerunsOnABusyFlash = 0;
};

TEST_P(InterruptedErase, ThePlainRerunBringsTheProductBack) {
    const test_support::UpdateRunMap map = MapCleanRun();
    ASSERT_TRUE(map.Complete());
    for (std::uint64_t request = map.erase; request < map.blank; ++request) {
        EXPECT_TRUE(ComesBackAfterACutAt(request))
            << sim::FaultKindName(Kind()) << " at request " << request << " (the erase is request "
            << map.erase << ")";
    }
    EXPECT_GT(rerunsOnABusyFlash, 0) << "no rerun met the erase still running";
}

INSTANTIATE_TEST_SUITE_P(PartsAndCuts, InterruptedErase,
                         ::testing::Combine(::testing::Values(FlashModel::Sst25vf016b,
                                                              FlashModel::Mx25l1021e,
                                                              FlashModel::W25q80),
                                            ::testing::Values(FaultKind::Unplug, FaultKind::Short)),
                         [](const ::testing::TestParamInfo<InterruptedErase::ParamType>& info) {
                             return std::string(sim::DatasheetFor(std::get<0>(info.param)).name) +
                                    "_" + sim::FaultKindName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace flash_test
