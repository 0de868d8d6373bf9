// palereed-flash holds logind's sleep lock for exactly as long as an update
// runs, however the update ends; without logind the update runs anyway.

#ifdef PALEREED_HAVE_SLEEP_INHIBITOR

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "in_process_tool.h"
#include "platform/private_system_bus.h"
#include "update_files.h"

namespace cli_test {
namespace {

using testing_support::PrivateSystemBus;

enum class Ending { Success, Failure, CtrlC };

class KeepAwake : public ::testing::TestWithParam<Ending> {};

TEST_P(KeepAwake, TheLockIsHeldDuringTheUpdateAndReleasedAtItsEnd) {
    PrivateSystemBus system;
    ASSERT_TRUE(system.StartLogind());
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x41);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    if (GetParam() == Ending::Failure) {
        sim::FaultPlan plan;
        plan.corruptReads = sim::FaultPlan::CorruptReads{0x800, 0x01, 1000};
        tool.bus.SetFaultPlan(plan);
    }
    if (GetParam() == Ending::CtrlC)
        tool.interrupting.interruptAt = 300;
    std::vector<PrivateSystemBus::Inhibitor> during;
    std::uint64_t calls = 0;
    tool.interrupting.onCall = [&](std::uint32_t, std::span<const std::uint8_t>,
                                   std::span<std::uint8_t>, const usb::IoResult&) {
        if (++calls == 100)
            during = system.ListInhibitors();
    };
    const int code = tool.Run({"update", file, "--yes"});
    EXPECT_EQ(code, GetParam() == Ending::Success   ? 0
                    : GetParam() == Ending::Failure ? 1
                                                    : 6)
        << tool.err;
    const PrivateSystemBus::Inhibitor lock{"sleep:shutdown:idle", "palereed-flash",
                                           "Updating the firmware of Pale Reed F066", "block"};
    EXPECT_EQ(during, std::vector<PrivateSystemBus::Inhibitor>{lock});
    EXPECT_TRUE(system.EventuallyNoInhibitors());
}

std::string EndingName(const ::testing::TestParamInfo<Ending>& info) {
    switch (info.param) {
        case Ending::Success:
            return "Success";
        case Ending::Failure:
            return "Failure";
        case Ending::CtrlC:
            break;
    }
    return "CtrlC";
}

INSTANTIATE_TEST_SUITE_P(Endings, KeepAwake,
                         ::testing::Values(Ending::Success, Ending::Failure, Ending::CtrlC),
                         EndingName);

TEST(KeepAwakeWithoutLogind, TheUpdateGoesOnAndTheTraceSaysSo) {
    PrivateSystemBus system;  // a bus without logind on it
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x42);
    const std::string trace = files.dir.PathOf("trace.txt");
    InProcessTool tool;
    tool.Plug(0, "1-2");
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--trace", trace}), 0) << tool.err;
    std::ifstream in(trace);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("sleep not blocked ("), std::string::npos);
}

}  // namespace
}  // namespace cli_test

#endif
