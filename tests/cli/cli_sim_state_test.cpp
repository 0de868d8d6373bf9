// The simulated product kept in a state file between two runs of the real
// executable: the first run loses power in the middle of the update, the
// second finds the bare chip and recovers it from the same file.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

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
