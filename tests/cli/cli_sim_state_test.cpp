// The simulated product kept in a state file between two runs of the real
// executable: the first run loses power in the middle of the update, the
// second finds the bare chip and recovers it from the same file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

// Runs of the real executable on one simulated product kept in a state file,
// on the virtual clock, with the requests of a clean update at hand to aim
// faults at.
class KeptProduct : public ::testing::Test {
protected:
    ToolResult Run(std::vector<std::string> args) const {
        args.insert(args.end(), {"--sim-state", state, "--sim-clock=virtual"});
        return RunTool({args});
    }
    // The request lines of a clean update of a fresh product.
    std::vector<std::string> CleanUpdateRequests() const {
        const std::string trace = files.dir.PathOf("clean.trace");
        const ToolResult clean = RunTool(
            {{"update", file, "--yes", "--simulate", "--sim-clock=virtual", "--trace", trace}});
        EXPECT_EQ(clean.exitCode, 0) << clean.err;
        return TracedRequests(trace);
    }
    ToolResult UpdateUnpluggedAt(std::size_t request) const {
        return Run({"update", file, "--yes", "--simulate",
                    "--sim-fault=unplug@" + std::to_string(request)});
    }

    UpdateFiles files;
    std::string file = files.Write("fw.hex", 0x1000, 0x21);
    std::string state = files.dir.PathOf("product.state");
};

// The cable goes right after the chip erase started: the product, powered by
// the bus, loses its power with the flash's head erased, so the next command
// meets the bare chip, whose flash answers.
TEST_F(KeptProduct, UnpluggedInIspModeItComesBackAsTheBareChip) {
    const std::vector<std::string> clean = CleanUpdateRequests();
    const auto erase = std::find_if(clean.begin(), clean.end(), [](const std::string& line) {
        return line.starts_with("43 80 0000 0001 1 c7 ");
    });
    ASSERT_NE(erase, clean.end());
    EXPECT_EQ(UpdateUnpluggedAt(static_cast<std::size_t>(erase - clean.begin()) + 2).exitCode, 1);

    const ToolResult list = Run({"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("2fc6:6000  ISP, waiting for firmware"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("normal"), std::string::npos) << list.out;
    const ToolResult info = Run({"info"});
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("JEDEC ID BF 25 41"), std::string::npos) << info.out;
}

// The cable goes just before the ISP leave, with the new image complete and
// protected in the flash: plugged back, the product boots it.
TEST_F(KeptProduct, UnpluggedWithTheImageCompleteItComesBackAsTheProduct) {
    const std::vector<std::string> clean = CleanUpdateRequests();
    const auto leave = std::find_if(clean.rbegin(), clean.rend(), [](const std::string& line) {
        return line.starts_with("43 85 ");
    });
    ASSERT_NE(leave, clean.rend());
    UpdateUnpluggedAt(static_cast<std::size_t>(clean.rend() - leave));

    const ToolResult list = Run({"list"});
    EXPECT_NE(list.out.find("2fc6:f066  normal"), std::string::npos) << list.out;
    const ToolResult info = Run({"info"});
    EXPECT_EQ(info.exitCode, 0) << info.out << info.err;
    EXPECT_EQ(Run({"verify", file}).exitCode, 0);
}

// The file names its product: later commands need no product options, and
// one that describes another product is refused with both named.
TEST_F(KeptProduct, TheFileKeepsItsFlashAndRow) {
    ASSERT_EQ(Run({"list", "--simulate=3", "--sim-flash", "w25"}).exitCode, 0);
    const ToolResult list = Run({"list"});
    EXPECT_NE(list.out.find("2fc6:f069"), std::string::npos) << list.out << list.err;
    const ToolResult info = Run({"info"});
    EXPECT_NE(info.out.find("JEDEC ID EF 40 14"), std::string::npos) << info.out << info.err;

    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> refused = {
        {{"--sim-flash", "mx32"}, {"--sim-flash mx32", "W25Q80"}},
        {{"--simulate=1"}, {"--simulate=1", "2fc6:f069 of row 3"}},
    };
    for (const auto& [options, named] : refused) {
        std::vector<std::string> args = {"list"};
        args.insert(args.end(), options.begin(), options.end());
        const ToolResult result = Run(args);
        EXPECT_EQ(result.exitCode, 2) << options.front();
        EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
        for (const std::string& text : named)
            EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
    }
}

struct UnwritableState {
    const char* name;
    const char* path;  // empty: the scratch folder itself
    const char* why;
};

void PrintTo(const UnwritableState& place, std::ostream* out) {
    *out << place.name;
}

class UnwritableStateFile : public ::testing::TestWithParam<UnwritableState> {};

// Found out at the start, not once the run has changed the product: the
// command ends as a usage error before the first request.
TEST_P(UnwritableStateFile, IsRefusedBeforeAnythingIsSent) {
    UpdateFiles files;
    const std::string trace = files.dir.PathOf("run.trace");
    const std::string state = *GetParam().path ? GetParam().path : files.dir.PathOf("");
    const ToolResult result =
        RunTool({{"info", "--simulate", "--sim-state", state, "--trace", trace}});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
    EXPECT_NE(result.err.find(GetParam().why), std::string::npos) << result.err;
    EXPECT_TRUE(TracedRequests(trace).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Places, UnwritableStateFile,
    ::testing::Values(UnwritableState{"MissingFolder", "/no/such/folder/product.state",
                                      "its folder does not exist"},
                      UnwritableState{"FullDevice", "/dev/full", "it is not a regular file"},
                      UnwritableState{"Folder", "", "it is not a regular file"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliSimState, AnUpdateCutByPowerLossIsRecoveredByTheNextRun) {
    UpdateFiles files;
    const std::string file = files.Write("fw.hex", 0x1000, 0x21);
    const std::string state = files.dir.PathOf("product.state");
    const std::vector<std::string> kept = {"--sim-state", state, "--sim-clock=virtual"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), kept.begin(), kept.end());
        return args;
    };

    const ToolResult cut =
        RunTool({with({"update", file, "--yes", "--simulate", "--sim-fault=power-loss@300"})});
    EXPECT_EQ(cut.exitCode, 1) << cut.err;
    ASSERT_TRUE(std::filesystem::exists(state));

    const ToolResult waiting = RunTool({with({"list"})});
    EXPECT_EQ(waiting.exitCode, 0) << waiting.err;
    EXPECT_NE(waiting.out.find("waiting for firmware"), std::string::npos) << waiting.out;

    const ToolResult recovered = RunTool({with({"update", file, "--yes"})});
    EXPECT_EQ(recovered.exitCode, 0) << recovered.err;
    const ToolResult back = RunTool({with({"verify", file})});
    EXPECT_EQ(back.exitCode, 0) << back.err;
    const ToolResult product = RunTool({with({"list"})});
    EXPECT_NE(product.out.find("normal"), std::string::npos) << product.out;
}

TEST(CliSimState, AStateFileThatDoesNotLoadIsRefusedAndKept) {
    UpdateFiles files;
    const std::string state = files.dir.Write("notes.txt", "not a state\n");
    const ToolResult result = RunTool({{"list", "--sim-state", state}});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("does not load"), std::string::npos) << result.err;
    std::ifstream in(state);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "not a state\n");
}

}  // namespace
}  // namespace cli_test
