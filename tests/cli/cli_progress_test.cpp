// What an update shows: on a terminal, on a pipe and as JSON lines; and the
// same run whatever the option order.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "json_fields.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

// The step names of plain progress lines ("[   0.1 s] Start Programming").
std::vector<std::string> PlainSteps(const std::string& out) {
    static const std::regex line(R"(\[ *[0-9]+\.[0-9] s\] (.*))");
    std::vector<std::string> steps;
    for (const std::string& text : Lines(out)) {
        std::smatch match;
        if (std::regex_match(text, match, line))
            steps.push_back(match[1]);
    }
    return steps;
}

class CliProgress : public ::testing::Test {
protected:
    UpdateFiles files;
    std::string file = files.Write("fw.hex", 0x1000, 7);
};

TEST_F(CliProgress, OnAPipeEachStepIsOnePlainLine) {
    const ToolResult result = RunTool({{"update", file, "--simulate", "--yes"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(PlainSteps(result.out), SuccessSteps());
    EXPECT_EQ(result.out.find('\r'), std::string::npos);
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
    EXPECT_NE(Lines(result.out).back().find("Firmware update success!"), std::string::npos);
}

TEST_F(CliProgress, OnATerminalOneLineRedrawsItself) {
    const ToolResult result = RunTool({{"update", file, "--simulate", "--yes"}, "", true});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 2u) << result.out;  // the progress line, then the result
    const std::string& bar = lines[0];
    EXPECT_EQ(bar.rfind("\r\x1b[KEnter ISP Mode [", 0), 0u);
    EXPECT_NE(bar.find("\r\x1b[KStart Programming ["), std::string::npos);
    const std::size_t last = bar.rfind("\r\x1b[K");
    EXPECT_TRUE(std::regex_match(bar.substr(last + 4),
                                 std::regex(R"(Verifying Success \[#{30}\] 100%  0:0[0-9])")))
        << bar.substr(last + 4);
    EXPECT_NE(lines[1].find("Firmware update success!"), std::string::npos);
}

TEST_F(CliProgress, JsonLinesGiveEveryStepTheProgressAndAFinalResult) {
    const ToolResult result = RunTool({{"update", file, "--simulate", "--yes", "--json"}});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> steps;
    int percent = -1;
    std::map<std::string, std::string> last;
    for (const std::string& line : Lines(result.out)) {
        const auto fields = ParseFlatJson(line);
        ASSERT_TRUE(fields) << line;
        last = *fields;
        if (last["event"] == "step")
            steps.push_back(last["step"]);
        if (last["event"] == "progress") {
            EXPECT_GT(std::stoi(last["percent"]), percent) << line;
            percent = std::stoi(last["percent"]);
        }
    }
    EXPECT_EQ(steps, SuccessSteps());
    EXPECT_EQ(percent, 100);
    EXPECT_EQ(last["event"], "result");
    EXPECT_EQ(last["status"], "success");
    EXPECT_EQ(last["exit_code"], "0");
    EXPECT_EQ(last["address"], "null");
    EXPECT_EQ(last["cause"], "null");
    EXPECT_GT(std::stoi(last["requests"]), 1000);
    EXPECT_GE(std::stoi(last["duration_ms"]), 0);
}

TEST_F(CliProgress, OptionsMayStandBeforeOrAfterTheCommand) {
    const ToolResult before = RunTool({{"--simulate", "update", "--yes", file}});
    const ToolResult after = RunTool({{"update", file, "--simulate", "--yes"}});
    EXPECT_EQ(before.exitCode, 0) << before.err;
    EXPECT_EQ(after.exitCode, 0) << after.err;
    EXPECT_EQ(PlainSteps(before.out), PlainSteps(after.out));
    EXPECT_EQ(PlainSteps(before.out), SuccessSteps());
}

TEST_F(CliProgress, AllUpdatesEachProductWithOneSummaryLine) {
    files.Write("PaleReed_f066.hex", 0x1000, 0x20);
    files.Write("PaleReed_f069.hex", 0x1000, 0x23, 3);
    const ToolResult result =
        RunTool({{"update", "--all", "--yes", "--simulate", "--simulate=3"}, files.dir.PathOf("")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::vector<std::string> summaries;
    for (const std::string& line : Lines(result.out)) {
        if (line.find(": success in ") != std::string::npos)
            summaries.push_back(line.substr(0, line.find(": ")));
    }
    // In the order the devices finished.
    std::sort(summaries.begin(), summaries.end());
    EXPECT_EQ(summaries, (std::vector<std::string>{"1-2 Pale Reed F066", "1-3 Pale Reed F069"}));
    EXPECT_NE(result.out.find("2 of 2 devices updated"), std::string::npos);
}

TEST_F(CliProgress, WithoutATerminalOnStdinNoQuestionIsAsked) {
    // As on a production line; the question on a terminal is tested in process.
    const ToolResult result = RunTool({{"update", file, "--simulate"}});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("proceed"), std::string::npos);
}

}  // namespace
}  // namespace cli_test
