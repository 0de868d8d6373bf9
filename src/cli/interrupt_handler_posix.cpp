#include <unistd.h>

#include <array>
#include <csignal>

#include "cli/interrupt_handler.h"
#include "cli/interrupts.h"

namespace cli {
namespace {

// SIGPIPE is ignored rather than handled: see InstallInterruptHandler.
constexpr std::array<int, 4> kSignals = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
std::array<struct sigaction, kSignals.size()> previousActions{};

void OnSignal(int number) {
    if (number == SIGINT)
        RaiseInterrupt();
    else
        RaiseEndRequest(number == SIGHUP ? EndRequest::HangUp : EndRequest::Terminate);
}

}  // namespace

void InstallInterruptHandler() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], nullptr, &previousActions[i]);
        // A signal ignored by whoever started the tool stays ignored: nohup's
        // SIGHUP must not stop the update it was meant to protect.
        if (kSignals[i] != SIGINT && previousActions[i].sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        // With the terminal closed, whatever read our output through a pipe
        // (tee, less) is gone too: the next progress line must fail as a
        // write, not kill the process before the run has stopped.
        action.sa_handler = kSignals[i] == SIGPIPE ? SIG_IGN : OnSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a Ctrl-C at the confirmation question ends the wait.
        action.sa_flags = 0;
        sigaction(kSignals[i], &action, nullptr);
    }
}

void RestoreInterruptHandler() {
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &previousActions[i], nullptr);
}

void SayFromInterrupt(const char* text, std::size_t length) {
    // write(2) is safe in a signal handler.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, length);
}

}  // namespace cli
