// update --all with every device on a link and a thread of its own: what
// each device's lines say, that simulated products keep their own time, what
// a terminal shows, and that a stop reaches every device.

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>

#include "json_fields.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

using Fields = std::map<std::string, std::string>;

std::vector<Fields> JsonLines(const std::string& out) {
    std::vector<Fields> lines;
    for (const std::string& line : Lines(out)) {
        const auto fields = ParseFlatJson(line);
        EXPECT_TRUE(fields) << line;
        if (fields)
            lines.push_back(*fields);
    }
    return lines;
}

// The screen a terminal shows after `out`: carriage return, erase to the
// end of the line, cursor up and newline, as the board draws.
std::vector<std::string> Screen(const std::string& out) {
    std::vector<std::string> screen(1);
    std::size_t row = 0;
    std::size_t column = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            column = 0;
            if (++row == screen.size())
                screen.emplace_back();
        } else if (out.compare(i, 3, "\x1b[K") == 0) {
            screen[row].resize(column);
            i += 2;
        } else if (c == '\x1b') {
            const std::size_t end = out.find('A', i);
            row -= std::stoul(out.substr(i + 2, end - i - 2));
            i = end;
        } else {
            screen[row].resize(std::max(screen[row].size(), column + 1));
            screen[row][column++] = c;
        }
    }
    if (screen.back().empty())
        screen.pop_back();
    return screen;
}

class CliAllDevices : public ::testing::Test {
protected:
    UpdateFiles files;
    std::string file = files.Write("fw.hex", 0x1000, 0x41);
};

// Each simulated product on its own virtual clock: side by side, each takes
// the time it takes alone, and so does the batch.
TEST_F(CliAllDevices, EachDeviceNamesItsLinesAndKeepsItsOwnTime) {
    const ToolResult alone =
        RunTool({{"update", file, "--yes", "--json", "--simulate", "--sim-clock=virtual"}});
    ASSERT_EQ(alone.exitCode, 0) << alone.err;
    const std::string aloneMs = JsonLines(alone.out).back().at("duration_ms");
    const ToolResult three = RunTool({{"update", file, "--all", "--yes", "--json", "--simulate",
                                       "--simulate", "--simulate", "--sim-clock=virtual"}});
    ASSERT_EQ(three.exitCode, 0) << three.err;
    std::map<std::string, int> percent;
    std::set<std::string> done;
    const std::vector<Fields> lines = JsonLines(three.out);
    for (const Fields& line : lines) {
        if (line.at("event") == "progress") {
            const auto [last, first] = percent.try_emplace(line.at("location"), -1);
            EXPECT_GT(std::stoi(line.at("percent")), last->second);
            last->second = std::stoi(line.at("percent"));
        } else if (line.at("event") == "device_result") {
            EXPECT_EQ(line.at("duration_ms"), aloneMs);
            done.insert(line.at("location"));
        }
    }
    EXPECT_EQ(percent, (std::map<std::string, int>{{"1-2", 100}, {"1-3", 100}, {"1-4", 100}}));
    EXPECT_EQ(done, (std::set<std::string>{"1-2", "1-3", "1-4"}));
    EXPECT_EQ(lines.back().at("duration_ms"), aloneMs);
}

TEST_F(CliAllDevices, OnATerminalEachDeviceKeepsOneLine) {
    const ToolResult result = RunTool({{"update", file, "--all", "--yes", "--simulate",
                                        "--simulate=3", "--force", "--sim-clock=virtual"},
                                       "",
                                       true});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> screen = Screen(result.out);
    ASSERT_EQ(screen.size(), 3u) << result.out;
    EXPECT_EQ(screen[0].rfind("1-2 Pale Reed F066: success in ", 0), 0u) << screen[0];
    EXPECT_EQ(screen[1].rfind("1-3 Pale Reed F069: success in ", 0), 0u) << screen[1];
    EXPECT_EQ(screen[2], "2 of 2 devices updated");
}

// On a narrow terminal no row of the board reaches the last column: a row
// that wrapped would push the board down at every redraw.
TEST_F(CliAllDevices, TheBoardFitsANarrowTerminal) {
    ToolRun run(
        {"update", file, "--all", "--yes", "--simulate", "--simulate", "--sim-clock=virtual"}, "",
        true);
    run.columns = 30;
    const ToolResult result = RunTool(run);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> screen = Screen(result.out);
    ASSERT_EQ(screen.size(), 3u) << result.out;
    for (const std::string& row : screen)
        EXPECT_LE(row.size(), 29u) << row;
    EXPECT_EQ(screen[0].rfind("1-2 Pale Reed F066: success", 0), 0u) << screen[0];
}

// A supervisor's SIGTERM while both program: both stop at their next
// request, each says so, and the batch ends with 6.
TEST_F(CliAllDevices, AStopReachesEveryDevice) {
    ToolRun run({"update", file, "--all", "--yes", "--json", "--simulate", "--simulate"});
    run.interruptWhenShown = {"\"Start Programming\""};
    run.interruptSignal = SIGTERM;
    const ToolResult result = RunTool(run);
    EXPECT_EQ(result.exitCode, 6) << result.err;
    std::map<std::string, std::string> status;
    for (const Fields& line : JsonLines(result.out)) {
        if (line.at("event") == "device_result")
            status[line.at("location")] = line.at("status");
    }
    EXPECT_EQ(status,
              (std::map<std::string, std::string>{{"1-2", "interrupted"}, {"1-3", "interrupted"}}));
}

}  // namespace
}  // namespace cli_test
