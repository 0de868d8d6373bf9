#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "cli/console.h"

namespace cli {

ConsoleStreams PrepareConsole() {
    const char* term = std::getenv("TERM");
    const bool dumb = term != nullptr && std::string_view(term) == "dumb";
    return {::isatty(STDOUT_FILENO) != 0 && !dumb, ::isatty(STDIN_FILENO) != 0};
}

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    // A terminal that keeps its size to itself (a serial line) may still be
    // described by the shell.
    const char* columns = std::getenv("COLUMNS");
    return columns != nullptr ? std::atoi(columns) : 0;
}

}  // namespace cli
