#include "flash/weighted_progress.h"

#include <gtest/gtest.h>

#include "progress_recorder.h"

namespace flash_test {
namespace {

TEST(WeightedProgress, MapsEachStepsShareIntoItsPartOfTheWhole) {
    ProgressRecorder whole;
    flash::WeightedProgress weighted(whole);
    weighted.BeginStep(flash::UpdateStep::Erase);
    weighted.SetShareDone(0.5);
    weighted.BeginStep(flash::UpdateStep::BlankCheck);
    weighted.BeginStep(flash::UpdateStep::Program);
    weighted.SetShareDone(0.5);
    weighted.BeginStep(flash::UpdateStep::Verify);
    weighted.SetShareDone(2.0);  // clamped to the step
    weighted.Finish();
    const std::vector<double> expected = {0.0, 0.1, 0.2, 0.4, 0.6, 0.8, 1.0, 1.0};
    ASSERT_EQ(whole.shares.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(whole.shares[i], expected[i], 1e-9) << i;
    }
}

}  // namespace
}  // namespace flash_test
