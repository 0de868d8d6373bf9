// Windows keeps the machine awake for the thread that asked: the state is
// read back by asking with no flags, which changes nothing.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/sleep_inhibitor.h"

namespace {

EXECUTION_STATE ThreadState() {
    return SetThreadExecutionState(0);
}

TEST(SleepInhibitorOnWindows, AsksForTheSystemUntilReleasedAndAMoveKeepsOneRequest) {
    {
        auto inhibitor = platform::SleepInhibitor::Acquire("tool", "update");
        ASSERT_TRUE(inhibitor.IsHeld()) << inhibitor.Problem();
        EXPECT_EQ(ThreadState() & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED),
                  ES_CONTINUOUS | ES_SYSTEM_REQUIRED);

        platform::SleepInhibitor moved(std::move(inhibitor));
        EXPECT_FALSE(inhibitor.IsHeld());
        EXPECT_TRUE(moved.IsHeld());
        EXPECT_NE(ThreadState() & ES_SYSTEM_REQUIRED, 0u);
    }
    EXPECT_EQ(ThreadState() & ES_SYSTEM_REQUIRED, 0u);
}

}  // namespace
