// Outcomes that need the simulated bus in hand: a confirmation answered on a
// terminal, an injected fault, a device the user may not open.

#include <gtest/gtest.h>

#include "in_process_tool.h"
#include "json_fields.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

TEST(CliInProcess, ANoOnTheTerminalSendsNothing) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x33);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    tool.bus.SetLogging(true);
    EXPECT_EQ(tool.Run({"update", file}, "n\n", true), 6);
    EXPECT_NE(tool.err.find("Would you like to proceed? [y/N]"), std::string::npos);
    EXPECT_NE(tool.err.find("1-2 Pale Reed F066 <- " + file), std::string::npos);
    EXPECT_TRUE(tool.bus.Log().empty());
    EXPECT_EQ(tool.Run({"update", file}, "y\n", true), 0) << tool.err;
}

TEST(CliInProcess, AFailedUpdateIsExitOneWithItsStepAddressAndCause) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x35);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    sim::FaultPlan plan;
    plan.corruptReads = sim::FaultPlan::CorruptReads{0x123, 0x01, 1000};
    tool.bus.SetFaultPlan(plan);
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--json"}), 1);
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;
    EXPECT_EQ(result->at("status"), "failed");
    EXPECT_EQ(result->at("step"), "blank check");
    EXPECT_EQ(result->at("address"), "0x000123");
    EXPECT_EQ(result->at("cause"), "Blanking Fail at 0x000123");
    EXPECT_NE(tool.err.find("failed at the blank check step (Blanking Fail at 0x000123). The "
                            "device may be left waiting in ISP mode. Keep it connected and run: "
                            "palereed-flash update '" +
                            file + "' --device 1-2"),
              std::string::npos)
        << tool.err;
}

// Bytes the chip's boot code does not take for firmware: written and
// verified, but the chip comes back as itself, waiting in ISP mode.
TEST(CliInProcess, AProductThatDoesNotComeBackIsSaidBesideTheSuccess) {
    UpdateFiles files;
    const std::string file = files.WriteBytes("raw.bin", std::vector<std::uint8_t>(0x800, 0x5A));
    InProcessTool tool;
    tool.Plug(0, "1-2");
    EXPECT_EQ(tool.Run({"update", file, "--yes"}), 0) << tool.err;
    EXPECT_NE(tool.out.find("Firmware update success!"), std::string::npos) << tool.out;
    EXPECT_NE(tool.out.find("The firmware is written and verified, but the device did not "
                            "restart: unplug it and plug it in again"),
              std::string::npos)
        << tool.err;
}

TEST(CliInProcess, ADeviceTheUserMayNotOpenIsExitFiveNamingTheUdevRule) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x34);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    tool.bus.SetOpensRefused(true);
    tool.bus.SetLogging(true);
    EXPECT_EQ(tool.Run({"update", file, "--yes"}), 5);
    EXPECT_NE(tool.err.find("70-palereed.rules"), std::string::npos) << tool.err;
    EXPECT_TRUE(tool.bus.Log().empty());
}

// A trace that cannot be kept is a usage error before the first request,
// not a run that goes ahead without the trace that was asked for.
struct TraceRefusal {
    const char* name;
    std::vector<std::string> trace;
    const char* line;
};

void PrintTo(const TraceRefusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

class CliTraceRefused : public ::testing::TestWithParam<TraceRefusal> {};

TEST_P(CliTraceRefused, IsExitTwoWithTheReasonBeforeAnyRequest) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x36);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    std::vector<std::string> args = {"update", file, "--yes"};
    args.insert(args.end(), GetParam().trace.begin(), GetParam().trace.end());
    EXPECT_EQ(tool.Run(args), 2);
    EXPECT_EQ(Lines(tool.err), std::vector<std::string>{GetParam().line});
    EXPECT_EQ(tool.interrupting.Calls(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, CliTraceRefused,
    ::testing::Values(
        // Opens, but every write fails: only a written line finds it out.
        TraceRefusal{"ADeviceThatTakesNoData",
                     {"--trace", "/dev/full"},
                     "palereed-flash: cannot write the trace file '/dev/full': No space left on "
                     "device"},
        TraceRefusal{"AnOptionForAFileName",
                     {"--trace", "--simulate"},
                     "palereed-flash: --trace needs a file name (see --help)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli_test
