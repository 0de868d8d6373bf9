#pragma once

#include <cstddef>

namespace cli {

// The system's side of Ctrl-C, one source file per system (CMake picks
// interrupt_handler_posix.cpp or interrupt_handler_win32.cpp): a SIGINT
// handler on POSIX, a console control handler on Windows. Both call
// RaiseInterrupt (interrupts.h).

// Makes Ctrl-C call RaiseInterrupt until RestoreInterruptHandler.
void InstallInterruptHandler();
void RestoreInterruptHandler();

// Writes to standard error with nothing but what is safe inside the handler
// (no locks, no allocation); a failed write cannot be reported anywhere.
void SayFromInterrupt(const char* text, std::size_t length);

}  // namespace cli
