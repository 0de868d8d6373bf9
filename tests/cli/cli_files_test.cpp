// Files the tool cannot use are refused with the reason, before any request.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>

#include "in_process_tool.h"
#include "tool_process.h"
#include "update_files.h"

namespace cli_test {
namespace {

struct Call {
    std::vector<std::string> args;
    std::string err;  // the one line on stderr
};

struct FileRefusal {
    const char* name;
    std::function<Call(UpdateFiles&)> make;
};

void PrintTo(const FileRefusal& refusal, std::ostream* out) {
    *out << refusal.name;
}

std::string Folder(UpdateFiles& files, const std::string& name) {
    const std::string path = files.dir.PathOf(name);
    ::mkdir(path.c_str(), 0700);
    return path;
}

// Two complete HEX files joined with cat: the second begins on the line
// after the first one's end-of-file record.
Call Joined(UpdateFiles& files) {
    const std::string first = files.Write("a.hex", 0x1000, 0x11);
    std::ifstream in(first, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::string path = files.dir.Write("joined.hex", text + text);
    const auto lines = std::count(text.begin(), text.end(), '\n');
    return {{"update", path},
            "'" + path + "' is invalid: line " + std::to_string(lines + 1) +
                ", column 1: a record after the end-of-file record of line " +
                std::to_string(lines) + "; is this two HEX files joined into one?"};
}

class CliFileRefused : public ::testing::TestWithParam<FileRefusal> {};

TEST_P(CliFileRefused, IsExitFourWithTheReasonBeforeAnyRequest) {
    UpdateFiles files;
    Call call = GetParam().make(files);
    InProcessTool tool;
    tool.Plug(0, "1-2");
    call.args.push_back("--yes");
    EXPECT_EQ(tool.Run(call.args), 4);
    EXPECT_EQ(Lines(tool.err), std::vector<std::string>{"palereed-flash: " + call.err});
    EXPECT_EQ(tool.interrupting.Calls(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliFileRefused,
    ::testing::Values(
        FileRefusal{"Missing",
                    [](UpdateFiles& files) {
                        const std::string path = files.dir.PathOf("missing.hex");
                        return Call{{"update", path},
                                    "cannot read '" + path + "': No such file or directory"};
                    }},
        FileRefusal{"Directory",
                    [](UpdateFiles& files) {
                        const std::string path = Folder(files, "folder.hex");
                        return Call{{"verify", path}, "cannot read '" + path + "': Is a directory"};
                    }},
        FileRefusal{
            "NameTooLong",
            [](UpdateFiles& files) {
                const std::string path = files.dir.PathOf(std::string(300, 'f') + ".hex");
                return Call{{"update", path}, "cannot read '" + path + "': File name too long"};
            }},
        FileRefusal{"FifoWithoutWriter",
                    [](UpdateFiles& files) {
                        const std::string path = files.dir.PathOf("pipe.hex");
                        ::mkfifo(path.c_str(), 0600);
                        return Call{{"update", path},
                                    "cannot read '" + path + "': not a regular file but a FIFO"};
                    }},
        FileRefusal{"TwoHexFilesJoined", Joined},
        FileRefusal{"ReadIntoAFolder",
                    [](UpdateFiles& files) {
                        const std::string path = Folder(files, "backup");
                        return Call{{"read", path}, "cannot write '" + path + "': Is a directory"};
                    }},
        FileRefusal{"ReadIntoAMissingFolder",
                    [](UpdateFiles& files) {
                        const std::string path = files.dir.PathOf("none/backup.bin");
                        return Call{{"read", path},
                                    "cannot write '" + path + "': No such file or directory"};
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli_test
