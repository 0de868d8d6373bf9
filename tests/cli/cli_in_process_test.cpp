// Outcomes that need the simulated bus in hand: a confirmation answered on a
// terminal, an injected fault, a device the user may not open.

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "in_process_tool.h"
#include "json_fields.h"
#include "support/product_image.h"
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
    EXPECT_EQ(result->at("cause"), "address 0x000123: reads 0xFE, expected 0xFF");
    EXPECT_NE(tool.err.find("failed at the blank check step (address 0x000123: reads 0xFE, "
                            "expected 0xFF). The "
                            "device may be left waiting in ISP mode. Keep it connected and run: "
                            "palereed-flash update '" +
                            file + "' --device 1-2"),
              std::string::npos)
        << tool.err;
}

// Bytes the chip's boot code does not take for firmware: written and
// verified, but the chip comes back as itself, waiting in ISP mode. Another
// product on the bus must not pass for it: a script reading the exit code
// would ship a board that does not work.
TEST(CliInProcess, AProductThatDoesNotComeBackIsExitSevenWhateverElseIsConnected) {
    UpdateFiles files;
    const std::string file = files.WriteBytes("raw.bin", std::vector<std::uint8_t>(0x800, 0x5A));
    InProcessTool tool;
    tool.Plug(0, "1-2");
    tool.Plug(0, "1-3");
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--force", "--json", "--device", "1-2"}), 7)
        << tool.err;
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;
    EXPECT_EQ(result->at("status"), "not_restarted");
    EXPECT_EQ(result->at("message"),
              "The firmware is written and verified, but the device did not restart: unplug it "
              "and plug it in again (Pale Reed F066 at 1-2)");
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
                     "palereed-flash: --trace needs a file name (see --help)"},
        // A report is refused the same way, before the run it would tell of.
        TraceRefusal{"AReportToADeviceThatTakesNoData",
                     {"--report", "/dev/full"},
                     "palereed-flash: cannot write the report file '/dev/full': No space left on "
                     "device"},
        TraceRefusal{"AnOptionForAReportName",
                     {"--report", "--simulate"},
                     "palereed-flash: --report needs a file name (see --help)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli_test

namespace cli_test {
namespace {

struct FileCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* refusal;  // after the file's quoted path
};

void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

class CliFileCheck : public testing::TestWithParam<FileCase> {};

// A file that is not the product's firmware is refused before anything is
// sent, naming both; --force writes it.
TEST_P(CliFileCheck, IsRefusedBeforeAnyRequestUnlessForced) {
    UpdateFiles files;
    const std::string file = files.WriteBytes("fw.hex", GetParam().bytes);
    InProcessTool tool;
    tool.Plug(3, "1-2");
    tool.bus.SetLogging(true);
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--json"}), 4);
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;
    EXPECT_EQ(result->at("status"), "file_refused");
    EXPECT_EQ(result->at("message"), "'" + file + "'" + GetParam().refusal +
                                         "; nothing was changed (--force writes it all the same)");
    EXPECT_TRUE(tool.bus.Log().empty());
    EXPECT_NE(tool.Run({"update", file, "--yes", "--force"}), 4) << tool.err;
    EXPECT_NE(tool.err.find("warning: '" + file + "'" + GetParam().refusal), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    NotThisProducts, CliFileCheck,
    testing::Values(FileCase{"AnotherProducts", test_support::ProductImage(0x2FC6, 0xF066),
                             " is firmware for Pale Reed F066, but the device is Pale Reed F069"},
                    FileCase{"WithoutTable", std::vector<std::uint8_t>(0x800, 0x5A),
                             " holds no parameter table, so nothing says it is firmware for "
                             "Pale Reed F069"}),
    [](const testing::TestParamInfo<FileCase>& info) { return std::string(info.param.name); });

// 160 KiB on the 128 KiB part: refused as the file's fault, with nothing
// erased and no advice to run the same command again; verify reads nothing.
TEST(CliFileCheck, AFileLargerThanTheFlashIsRefusedWithNothingErased) {
    UpdateFiles files;
    const std::string file = files.Write("big.hex", 0x28000, 0x44);
    InProcessTool tool;
    const auto chip = tool.Plug(0, "1-2", sim::FlashModel::Mx25l1021e);
    const std::vector<std::uint8_t> before(chip->Flash().Contents().begin(),
                                           chip->Flash().Contents().end());
    EXPECT_EQ(tool.Run({"update", file, "--yes"}), 4);
    EXPECT_NE(tool.err.find("The update file (160 KiB) is larger than the flash of this device "
                            "(128 KiB); nothing was changed."),
              std::string::npos)
        << tool.err;
    EXPECT_EQ(tool.err.find("run the same"), std::string::npos) << tool.err;
    EXPECT_TRUE(std::equal(before.begin(), before.end(), chip->Flash().Contents().begin()));

    tool.bus.SetLogging(true);
    EXPECT_EQ(tool.Run({"verify", file}), 4);
    EXPECT_LT(tool.bus.Log().size(), 40u) << "identification only, no read of the flash";
}

}  // namespace
}  // namespace cli_test

namespace cli_test {
namespace {

// The engine stops answering during the identification: nothing was erased,
// so the message says the device keeps its firmware and advises no rerun
// through ISP mode.
TEST(CliStopBeforeErase, SaysTheDeviceKeepsItsFirmware) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x36);
    InProcessTool tool;
    const auto chip = tool.Plug(0, "1-2");
    sim::FaultPlan plan;
    plan.neverReadyAtRequest = 4;
    tool.bus.SetFaultPlan(plan);
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--json"}), 1);
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;
    EXPECT_EQ(result->at("step"), "identification");
    const std::string& message = result->at("message");
    EXPECT_TRUE(message.starts_with("Stopped: flash not identified")) << message;
    EXPECT_TRUE(
        message.ends_with("; nothing was changed. Unplug the device, plug it in again and "
                          "run the same command."))
        << message;
    EXPECT_EQ(message.find("ISP mode"), std::string::npos) << message;
}

// The same file again with --changed-only: the flash already holds it, so
// the run ends after its read, sends no erase, and says so as a success.
TEST(CliChangedOnly, TheSameFileAgainIsAlreadyUpToDateWithoutAnErase) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x38);
    const std::string trace = files.dir.PathOf("again.trace");
    InProcessTool tool;
    tool.Plug(0, "1-2");
    ASSERT_EQ(tool.Run({"update", file, "--yes", "--changed-only"}), 0) << tool.err;
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--changed-only", "--json", "--trace", trace}), 0)
        << tool.err;
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;
    EXPECT_EQ(result->at("status"), "success");
    EXPECT_TRUE(result->at("message").starts_with(
        "Firmware already up to date: the flash holds this file, nothing was written (Pale Reed "
        "F066 at 1-2, "))
        << result->at("message");
    std::ifstream lines(trace);
    int reads = 0;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_FALSE(line.starts_with("43 80 0000 0001 4 20")) << line;  // sector erase
        EXPECT_FALSE(line.starts_with("43 80 0000 0001 1 c7")) << line;  // chip erase
        reads += line.starts_with("43 81 ") && line.find(" 0001 4 03") == 10 ? 1 : 0;
    }
    EXPECT_EQ(reads, 0x1001 / 255 + 1);  // the compare's 255-byte reads only, no verify
}

// A changed-only run that fails advises running it again as it was: the
// compare of that run finds whatever the failure left half written.
TEST(CliChangedOnly, AFailureAdvisesTheChangedOnlyUpdateAgain) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x39);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    sim::FaultPlan plan;
    plan.corruptReads = sim::FaultPlan::CorruptReads{0x123, 0x01, 1000};
    tool.bus.SetFaultPlan(plan);
    EXPECT_EQ(tool.Run({"update", file, "--yes", "--changed-only", "--json"}), 1);
    const auto result = ParseFlatJson(Lines(tool.out).back());
    ASSERT_TRUE(result) << tool.out;
    EXPECT_EQ(result->at("step"), "verification");
    EXPECT_TRUE(
        result->at("message").ends_with("Keep it connected and run: palereed-flash update '" +
                                        file + "' --device 1-2 --changed-only"))
        << result->at("message");
}

}  // namespace
}  // namespace cli_test
