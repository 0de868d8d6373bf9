#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/console.h"

namespace cli {
namespace {

// A Windows console moves the cursor for "\x1b[K" only once asked to; one
// that refuses (before Windows 10) gets the plain progress lines instead of
// escape codes printed as text.
bool AcceptsCursorControls(HANDLE console) {
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return false;
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace

ConsoleStreams PrepareConsole() {
    ConsoleStreams streams;
    streams.inIsTerminal = _isatty(_fileno(stdin)) != 0;
    if (_isatty(_fileno(stdout)) != 0) {
        // File and device names are UTF-8 inside the tool.
        SetConsoleOutputCP(CP_UTF8);
        streams.outIsTerminal = AcceptsCursorControls(GetStdHandle(STD_OUTPUT_HANDLE));
    }
    return streams;
}

int TerminalColumns() {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace cli
