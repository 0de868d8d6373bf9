#include <windows.h>

#include "cli/interrupt_handler.h"
#include "cli/interrupts.h"

namespace cli {
namespace {

// Windows calls this on a thread of its own; RaiseInterrupt only touches
// atomics. Handled means the process lives on: a console read in progress
// (the confirmation question) ends, and an update stops at a request
// boundary rather than being killed in the middle of the flash.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;  // closing the console or logging off: the default
    RaiseInterrupt();
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
