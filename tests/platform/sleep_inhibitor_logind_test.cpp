#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/private_system_bus.h"
#include "platform/sleep_inhibitor.h"

namespace {

using testing_support::PrivateSystemBus;

TEST(SleepInhibitor, HoldsABlockLockForSleepShutdownAndIdleUntilReleased) {
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.StartLogind());

    auto inhibitor = platform::SleepInhibitor::Acquire("Pale Reed Update Tool",
                                                       "Updating the firmware of Pale Reed F066");
    ASSERT_TRUE(inhibitor.IsHeld()) << inhibitor.Problem();
    const std::vector<PrivateSystemBus::Inhibitor> expected{
        {"sleep:shutdown:idle", "Pale Reed Update Tool", "Updating the firmware of Pale Reed F066",
         "block"}};
    EXPECT_EQ(bus.ListInhibitors(), expected);

    inhibitor.Release();
    EXPECT_FALSE(inhibitor.IsHeld());
    EXPECT_TRUE(bus.EventuallyNoInhibitors());
}

TEST(SleepInhibitor, MovingKeepsOneLockAndDestructionReleasesIt) {
    PrivateSystemBus bus;
    ASSERT_TRUE(bus.StartLogind());
    {
        platform::SleepInhibitor held;
        held = platform::SleepInhibitor::Acquire("tool", "update");
        platform::SleepInhibitor moved(std::move(held));
        EXPECT_TRUE(moved.IsHeld());
        EXPECT_FALSE(held.IsHeld());
        EXPECT_EQ(bus.ListInhibitors().size(), 1u);
    }
    EXPECT_TRUE(bus.EventuallyNoInhibitors());
}

TEST(SleepInhibitor, WithoutLogindNothingIsHeldAndTheProblemIsTold) {
    PrivateSystemBus bus;  // a bus, but nobody owns org.freedesktop.login1
    const auto inhibitor = platform::SleepInhibitor::Acquire("tool", "update");
    EXPECT_FALSE(inhibitor.IsHeld());
    EXPECT_NE(inhibitor.Problem().find("logind"), std::string::npos) << inhibitor.Problem();
}

TEST(SleepInhibitor, WithoutAnySystemBusNothingIsHeld) {
    PrivateSystemBus bus;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    const auto inhibitor = platform::SleepInhibitor::Acquire("tool", "update");
    EXPECT_FALSE(inhibitor.IsHeld());
    EXPECT_FALSE(inhibitor.Problem().empty());
}

}  // namespace
