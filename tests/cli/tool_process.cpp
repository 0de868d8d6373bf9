#include "tool_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <regex>
#include <stdexcept>

namespace cli_test {
namespace {

constexpr auto kTimeout = std::chrono::seconds(60);

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe MakePipe() {
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    return {fds[0], fds[1]};
}

// The master side of a pseudo-terminal and the path of its slave side.
int OpenTerminal(std::string& slavePath) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    slavePath = ::ptsname(master);
    return master;
}

[[noreturn]] void ExecChild(const ToolRun& run, int in, int out, int err) {
    ::dup2(in, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(err, STDERR_FILENO);
    // As a terminal session would deliver them, even when the tests were
    // started with them ignored (nohup): an ignored signal stays ignored
    // across exec, and the tool keeps it ignored.
    ::signal(SIGHUP, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    if (!run.workingDirectory.empty() && ::chdir(run.workingDirectory.c_str()) != 0)
        ::_exit(127);
    for (const std::string& setting : run.environment) {
        const std::size_t equals = setting.find('=');
        ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
    std::vector<char*> argv;
    std::string program = PALEREED_FLASH;
    argv.push_back(program.data());
    std::vector<std::string> args = run.args;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

class Collector {
public:
    Collector(pid_t child, const ToolRun& run) : child_(child), run_(run) {}

    // Reads both streams until both end, pressing Ctrl-C (or sending the
    // signal asked for) as the texts appear.
    void Drain(int outFd, int errFd, ToolResult& result) {
        const auto deadline = std::chrono::steady_clock::now() + kTimeout;
        pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
        std::string* texts[2] = {&result.out, &result.err};
        int open = 2;
        while (open > 0 && std::chrono::steady_clock::now() < deadline) {
            if (::poll(fds, 2, 100) <= 0)
                continue;
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0)
                    continue;
                char buffer[4096];
                const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    fds[i].fd = -1;  // a pty reports EIO once the child has gone
                    --open;
                    continue;
                }
                texts[i]->append(buffer, static_cast<std::size_t>(n));
            }
            PressWhenShown(result);
        }
        if (open > 0)
            ::kill(child_, SIGKILL);
    }

private:
    void PressWhenShown(const ToolResult& result) {
        if (next_ >= run_.interruptWhenShown.size())
            return;
        const std::string& text = run_.interruptWhenShown[next_];
        if (result.out.find(text) == std::string::npos &&
            result.err.find(text) == std::string::npos)
            return;
        ::kill(child_, run_.interruptSignal);
        ++next_;
    }

    pid_t child_;
    const ToolRun& run_;
    std::size_t next_ = 0;
};

}  // namespace

ToolResult RunTool(const ToolRun& run) {
    Pipe in = MakePipe();
    Pipe err = MakePipe();
    Pipe out;
    std::string slavePath;
    if (run.stdoutIsTerminal) {
        out.read = OpenTerminal(slavePath);
        out.write = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
        if (run.columns != 0) {
            winsize size{};
            size.ws_col = run.columns;
            size.ws_row = 24;
            ::ioctl(out.read, TIOCSWINSZ, &size);
        }
    } else {
        out = MakePipe();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(in.write);
        ::close(out.read);
        ::close(err.read);
        ExecChild(run, in.read, out.write, err.write);
    }
    ::close(in.read);
    ::close(out.write);
    ::close(err.write);
    if (!run.input.empty()) [[maybe_unused]]
        const ssize_t written = ::write(in.write, run.input.data(), run.input.size());
    ::close(in.write);

    ToolResult result;
    Collector(child, run).Drain(out.read, err.read, result);
    ::close(out.read);
    ::close(err.read);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> TracedRequests(const std::string& path) {
    static const std::regex kRequest("[0-9a-f]{2} [0-9a-f]{2} [0-9a-f]{4} [0-9a-f]{4} [0-9]+ .*");
    std::ifstream in(path);
    std::vector<std::string> requests;
    for (std::string line; std::getline(in, line);) {
        const bool neverSent = line.ends_with(" fail (the device stopped answering)") ||
                               line.ends_with(" fail (no open handle)") ||
                               line.ends_with(" fail (stopped: the run was asked to stop)");
        if (std::regex_match(line, kRequest) && !neverSent)
            requests.push_back(line);
    }
    return requests;
}

}  // namespace cli_test
