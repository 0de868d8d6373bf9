// How the tool behaves at a terminal and in scripts: a progress line that fits,
// plain lines where cursor controls would be garbage, --quiet and --verbose,
// the window's way of naming a simulated row, and a whole-part backup.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "in_process_tool.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

class CliManners : public ::testing::Test {
protected:
    UpdateFiles files;
    std::string file = files.Write("fw.hex", 0x1000, 7);
};

// Each redraw of the line ("\r\x1b[K" and what follows) on a terminal of 40
// columns stays within 39: a wrapped line cannot be drawn over in place.
TEST_F(CliManners, TheProgressLineFitsANarrowTerminal) {
    ToolRun run({"update", file, "--simulate", "--yes"}, "", true);
    run.columns = 40;
    const ToolResult result = RunTool(run);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string bar = Lines(result.out).front();
    std::size_t redraws = 0;
    for (std::size_t at = bar.find("\r\x1b[K"); at != std::string::npos; ++redraws) {
        const std::size_t next = bar.find("\r\x1b[K", at + 4);
        const std::string drawn =
            bar.substr(at + 4, next == std::string::npos ? next : next - at - 4);
        EXPECT_LE(drawn.size(), 39u) << drawn;
        at = next;
    }
    EXPECT_GT(redraws, 10u);
    EXPECT_TRUE(
        std::regex_search(bar, std::regex(R"(\r\x1b\[KVerifying Succe \[#{10}\] 100%  0:0[0-9]$)")))
        << bar.substr(bar.rfind('\r'));
}

TEST_F(CliManners, ADumbTerminalGetsPlainLines) {
    ToolRun run({"update", file, "--simulate", "--yes"}, "", true);
    run.environment = {"TERM=dumb"};
    const ToolResult result = RunTool(run);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("] Start Programming\r\n"), std::string::npos) << result.out;
}

TEST_F(CliManners, QuietPrintsOnlyTheResult) {
    const ToolResult result = RunTool({{"update", file, "--simulate", "--yes", "--quiet"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 1u) << result.out;
    EXPECT_EQ(lines[0].rfind("Firmware update success! (Pale Reed F066 at 1-2, ", 0), 0u);
}

// The loop's own text, with the address, under its step; on a terminal too,
// as plain lines to read afterwards.
TEST_F(CliManners, VerboseShowsTheLoopsTextUnderItsStep) {
    const ToolResult result = RunTool(
        {{"update", file, "--simulate", "--yes", "--verbose", "--sim-fault", "corrupt@2400"},
         "",
         true});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos) << result.out;
    EXPECT_TRUE(std::regex_search(
        result.out,
        std::regex(
            R"(\] Start Verifying Check\r\n\[ *[0-9.]+ s\]   Verifying Fail at 0x[0-9A-F]{6}\r\n)")))
        << ::testing::PrintToString(result.out);
}

// "--simulate 3" as the window takes it: row 3, not a command named "3".
TEST(CliSimulate, TakesItsRowAfterASpace) {
    const ToolResult result = RunTool({{"--simulate", "3", "list"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("2fc6:f069  normal"), std::string::npos) << result.out;
}

// The 2 MiB part backed up whole; a longer length stops at the part's end.
TEST(CliRead, ReachesTheWholePart) {
    UpdateFiles files;
    InProcessTool tool;
    tool.Plug(0, "1-2");
    const std::string out = files.dir.PathOf("backup.bin");
    ASSERT_EQ(tool.Run({"read", out, "--length", "16777216"}), 0) << tool.err;
    EXPECT_EQ(std::filesystem::file_size(out), 0x200000u);
    EXPECT_NE(tool.out.find("Read 2097152 bytes of SST25VF016B"), std::string::npos) << tool.out;
}

}  // namespace
}  // namespace cli_test
