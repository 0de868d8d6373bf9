#include <unistd.h>

#include <csignal>

#include "cli/interrupt_handler.h"
#include "cli/interrupts.h"

namespace cli {
namespace {

struct sigaction previousAction {};

void OnSigint(int) {
    RaiseInterrupt();
}

}  // namespace

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a Ctrl-C at the confirmation question ends the wait.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousAction);
}

void RestoreInterruptHandler() {
    sigaction(SIGINT, &previousAction, nullptr);
}

void SayFromInterrupt(const char* text, std::size_t length) {
    // write(2) is safe in a signal handler.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, length);
}

}  // namespace cli
