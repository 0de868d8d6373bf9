#pragma once

#include <csignal>
#include <string>
#include <utility>
#include <vector>

namespace cli_test {

// One run of the real palereed-flash executable.
struct ToolRun {
    ToolRun(std::vector<std::string> arguments, std::string folder = {}, bool terminal = false)
        : args(std::move(arguments)),
          workingDirectory(std::move(folder)),
          stdoutIsTerminal(terminal) {}

    std::vector<std::string> args;
    std::string workingDirectory;          // empty: the test's own
    bool stdoutIsTerminal = false;         // stdout on a pseudo-terminal instead of a pipe
    unsigned short columns = 0;            // the pseudo-terminal's width; 0: it does not say
    std::vector<std::string> environment;  // "NAME=value" set for the run
    std::string input;                     // written to stdin, which is then closed
    // Ctrl-C presses: each is sent once its text has appeared on stdout or
    // stderr, in order.
    std::vector<std::string> interruptWhenShown;
    // What each press sends: SIGINT (Ctrl-C), or SIGTERM, SIGHUP.
    int interruptSignal = SIGINT;
};

struct ToolResult {
    int exitCode = -1;  // -1: killed or timed out
    std::string out;
    std::string err;
};

ToolResult RunTool(const ToolRun& run);

// Lines of a text, without their line ends (a terminal's "\r\n" included).
std::vector<std::string> Lines(const std::string& text);

// The request lines of a --trace file, in order ("43 80 0000 0001 1 c7 ok"),
// without its opens, closes, probes, pauses and notes, and without the lines
// of requests the link never sent (to a device that stopped answering, with no
// open handle, after a stop).
std::vector<std::string> TracedRequests(const std::string& path);

}  // namespace cli_test
