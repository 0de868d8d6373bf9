#include "product/run_state.h"

#include <gtest/gtest.h>

namespace product_test {
namespace {

using product::RunPhase;
using product::RunState;

TEST(RunState, TheLinkHasOneHolderAtATime) {
    RunState state;
    {
        RunState::LinkHold first(state);
        EXPECT_TRUE(first);
        EXPECT_TRUE(state.LinkBusy());
        RunState::LinkHold second(state);
        EXPECT_FALSE(second);
    }
    EXPECT_FALSE(state.LinkBusy());
}

TEST(RunState, ARunHoldsTheLinkAndEndsFinishedOrFailed) {
    RunState state;
    {
        RunState::Run run(state);
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(state.Phase(), RunPhase::Running);
        EXPECT_TRUE(state.LinkBusy());
        run.Finish(true);
    }
    EXPECT_EQ(state.Phase(), RunPhase::Finished);
    EXPECT_FALSE(state.LinkBusy());
    { RunState::Run run(state); }  // left without a word: an error escaped
    EXPECT_EQ(state.Phase(), RunPhase::Failed);
}

TEST(RunState, ARunDoesNotStartWhileThePagesHoldTheLink) {
    RunState state;
    RunState::LinkHold page(state);
    RunState::Run run(state);
    EXPECT_FALSE(run.Started());
    EXPECT_EQ(state.Phase(), RunPhase::Idle);
}

TEST(RunState, AStopIsAskedOnlyOfARunningRun) {
    RunState state;
    state.AskStop();
    EXPECT_FALSE(state.StopAsked());
    RunState::Run run(state);
    state.AskStop();
    EXPECT_TRUE(state.StopAsked());
    EXPECT_TRUE(state.Running());
    run.Finish(false);
    EXPECT_EQ(state.Phase(), RunPhase::Failed);
}

}  // namespace
}  // namespace product_test
