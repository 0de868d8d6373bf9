#pragma once

namespace cli {

// What the tool's standard streams are connected to, one source file per
// system (CMake picks console_posix.cpp or console_win32.cpp).
struct ConsoleStreams {
    // Output goes to a terminal that understands the progress bar's cursor
    // controls ("\r", erase to end of line).
    bool outIsTerminal = false;
    // Input comes from a person at a terminal, who can answer a question.
    bool inIsTerminal = false;
};

// Looks at the streams and, where the system needs it, readies the terminal
// for the progress bar and for UTF-8 text. A terminal that says it is dumb
// (TERM=dumb: an editor's shell buffer) gets plain lines.
ConsoleStreams PrepareConsole();

// The width of the terminal stdout goes to, asked anew each time (the window
// may be resized during a run); 0 when it does not say.
int TerminalColumns();

}  // namespace cli
