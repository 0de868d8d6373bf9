#include <windows.h>

#include "cli/interrupt_handler.h"
#include "cli/interrupts.h"

namespace cli {
namespace {

// Windows calls this on a thread of its own; RaiseInterrupt and
// RaiseEndRequest only touch atomics. Handled means the process lives on: a
// console read in progress (the confirmation question) ends, and an update
// stops at a request boundary rather than being killed in the middle of the
// flash.
BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            RaiseInterrupt();
            return TRUE;
        case CTRL_CLOSE_EVENT:
            RaiseEndRequest(EndRequest::HangUp);
            break;
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            RaiseEndRequest(EndRequest::Terminate);
            break;
        default:
            return FALSE;
    }
    // For these three Windows ends the process as soon as the handler
    // returns. Waiting here lets the main thread stop the run at its next
    // request, keep the simulated state and say the result; the process ends
    // when it returns from main, or when Windows' own time for the event
    // runs out.
    Sleep(INFINITE);
    return TRUE;
}

}  // namespace

void InstallInterruptHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void RestoreInterruptHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

void SayFromInterrupt(const char* text, std::size_t length) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace cli
