// Ctrl-C, SIGTERM and SIGHUP during an update, and the recovery run after it.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

#include "in_process_tool.h"
#include "json_fields.h"
#include "sim/firmware_layout.h"
#include "support/product_image.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

// The calls that read a simulated product's serial string ("QVUA170203", two
// chunks of the parameter mailbox) before an update starts.
constexpr std::uint64_t kSerialReadCalls = 28;

TEST(CliInterrupt, TheFirstCtrlCWarnsTheSecondStopsWithExitSix) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x8000, 9);
    ToolRun run{{"update", file, "--simulate", "--yes"}};
    run.interruptWhenShown = {"Start Programming", "Press Ctrl-C again"};
    const ToolResult result = RunTool(run);
    EXPECT_EQ(result.exitCode, 6) << result.out << result.err;
    EXPECT_NE(result.err.find("may leave the device waiting in ISP mode"), std::string::npos);
    EXPECT_NE(result.err.find("Stopping at the next request."), std::string::npos);
    EXPECT_NE(result.err.find("waits in ISP mode for its firmware. Keep it connected and run: "
                              "palereed-flash update '" +
                              file + "' --device 1-2"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.out.find("Verifying Success"), std::string::npos);
    // The requests the stop refused are no sign of a silent device.
    EXPECT_EQ((result.out + result.err).find("stopped answering"), std::string::npos)
        << result.out << result.err;
}

// A supervisor stopping the run (SIGTERM) or a closed terminal (SIGHUP): one
// signal stops as the second Ctrl-C does, and the run still ends in its own
// way: result line, exit code and the simulated product kept in its file.
struct EndSignal {
    const char* name;
    int number;
};

void PrintTo(const EndSignal& signal, std::ostream* out) {
    *out << signal.name;
}

class CliEndSignal : public ::testing::TestWithParam<EndSignal> {};

TEST_P(CliEndSignal, StopsAtTheNextRequestSaysTheResultAndKeepsTheState) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x8000, 9);
    const std::string state = files.dir.PathOf("product.state");
    ToolRun run{{"update", file, "--simulate", "--yes", "--json", "--sim-state", state}};
    run.interruptWhenShown = {"Start Programming"};
    run.interruptSignal = GetParam().number;
    const ToolResult result = RunTool(run);

    ASSERT_EQ(result.exitCode, 6) << result.out << result.err;
    EXPECT_NE(result.err.find("stopping at the next request."), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Press Ctrl-C again"), std::string::npos) << result.err;
    const auto last = ParseFlatJson(Lines(result.out).back());
    ASSERT_TRUE(last) << result.out;
    EXPECT_EQ(last->at("event"), "result");
    EXPECT_EQ(last->at("status"), "interrupted");
    EXPECT_EQ(last->at("cause"), "interrupted");
    EXPECT_NE(last->at("message").find("waits in ISP mode for its firmware. Keep it connected "
                                       "and run: palereed-flash update '" +
                                       file + "' --device 1-2"),
              std::string::npos)
        << last->at("message");
    // Stopped after the erase, as the second Ctrl-C leaves it: unplugged and
    // plugged back, the product kept in the file waits as the bare chip.
    const ToolResult waiting = RunTool({{"list", "--sim-state", state, "--sim-power-cycle"}});
    EXPECT_EQ(waiting.exitCode, 0) << waiting.err;
    EXPECT_NE(waiting.out.find("waiting for firmware"), std::string::npos) << waiting.out;
}

INSTANTIATE_TEST_SUITE_P(Signals, CliEndSignal,
                         ::testing::Values(EndSignal{"Sigterm", SIGTERM},
                                           EndSignal{"Sighup", SIGHUP}),
                         [](const auto& info) { return std::string(info.param.name); });

// Stops at a share of a clean run's requests, then runs the recovery.
struct StopShare {
    const char* name;
    double share;
};

void PrintTo(const StopShare& share, std::ostream* out) {
    *out << share.name;
}

class CliInterruptAndRecover : public ::testing::TestWithParam<StopShare> {
protected:
    CliInterruptAndRecover() {
        firmware = test_support::ProductImage(0x2FC6, 0xF066, 0x2000, 0x31);
        file = files.WriteBytes("fw.hex", firmware);
    }

    std::uint64_t RequestsOfACleanRun() {
        InProcessTool clean;
        clean.Plug(0, "1-2");
        EXPECT_EQ(clean.Run({"update", file, "--simulate", "--yes"}), 0) << clean.err;
        return clean.interrupting.Calls();
    }

    UpdateFiles files;
    std::vector<std::uint8_t> firmware;
    std::string file;
};

TEST_P(CliInterruptAndRecover, LeavesARecoverableDevice) {
    // Call 1 is the probe that finds the device, then the serial string is
    // read for the log; the run starts after them.
    const std::uint64_t first = 2 + kSerialReadCalls;
    const std::uint64_t total = RequestsOfACleanRun();
    InProcessTool tool;
    auto chip = tool.Plug(0, "1-2");
    tool.interrupting.interruptAt =
        first + static_cast<std::uint64_t>(static_cast<double>(total - first) * GetParam().share);

    ASSERT_EQ(tool.Run({"update", file, "--simulate", "--yes", "--json"}), 6) << tool.err;
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->at("status"), "interrupted");

    // What the user sees now, and the run that brings the product back.
    tool.interrupting.interruptAt = 0;
    tool.bus.PowerCycle("1-2");
    ASSERT_EQ(tool.Run({"update", file, "--device", "1-2", "--yes"}), 0) << tool.err;
    EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), chip->Flash().Contents().begin()));
    ASSERT_EQ(tool.Run({"list"}), 0);
    EXPECT_NE(tool.out.find("2fc6:f066  normal"), std::string::npos) << tool.out;
}

INSTANTIATE_TEST_SUITE_P(Points, CliInterruptAndRecover,
                         ::testing::Values(StopShare{"First", 0.0}, StopShare{"Early", 0.05},
                                           StopShare{"Middle", 0.5}, StopShare{"Late", 0.9},
                                           StopShare{"Last", 0.999}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliInterrupt, AStopBeforeTheEraseLeavesTheOldFirmwareRunning) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x2000, 0x32);
    InProcessTool tool;
    auto chip = tool.Plug(0, "1-2");
    const std::vector<std::uint8_t> old(chip->Flash().Contents().begin(),
                                        chip->Flash().Contents().begin() + 0x2000);
    tool.interrupting.interruptAt = 3 + kSerialReadCalls;  // inside the identification
    EXPECT_EQ(tool.Run({"update", file, "--yes"}), 6);
    EXPECT_NE(tool.err.find("before the flash was erased; the device keeps its firmware"),
              std::string::npos)
        << tool.err;
    EXPECT_FALSE(chip->InIspMode());
    EXPECT_TRUE(std::equal(old.begin(), old.end(), chip->Flash().Contents().begin()));
}

}  // namespace
}  // namespace cli_test
