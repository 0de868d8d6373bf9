#pragma once

#include <cstddef>

namespace cli {

// The system's side of Ctrl-C and of the requests to end the process, one
// source file per system (CMake picks interrupt_handler_posix.cpp or
// interrupt_handler_win32.cpp): signal handlers for SIGINT, SIGTERM and
// SIGHUP on POSIX, a console control handler on Windows. They call
// RaiseInterrupt or RaiseEndRequest (interrupts.h).

// Makes Ctrl-C and the requests to end the process call those functions
// instead of killing the process, until RestoreInterruptHandler.
void InstallInterruptHandler();
void RestoreInterruptHandler();

// Writes to standard error with nothing but what is safe inside the handler
// (no locks, no allocation); a failed write cannot be reported anywhere.
void SayFromInterrupt(const char* text, std::size_t length);

}  // namespace cli
