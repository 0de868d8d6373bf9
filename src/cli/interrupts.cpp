#include "cli/interrupts.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "product/run_state.h"

namespace cli {
namespace {

std::atomic<int> interrupts{0};
std::atomic<product::RunState*> guardedState{nullptr};
struct sigaction previousAction {};

constexpr const char kWarning[] =
    "\nStopping the update now may leave the device waiting in ISP mode for its firmware.\n"
    "Press Ctrl-C again to stop.\n";
constexpr const char kStopping[] = "\nStopping at the next request.\n";

void Say(const char* text, std::size_t length) {
    // write(2) is safe in a signal handler; nothing can be done if it fails.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, length);
}

void OnSigint(int) {
    RaiseInterrupt();
}

}  // namespace

void RaiseInterrupt() {
    const int count = ++interrupts;
    product::RunState* state = guardedState.load();
    if (state == nullptr || !state->Running())
        return;
    if (count == 1) {
        Say(kWarning, sizeof kWarning - 1);
    } else if (!state->StopAsked()) {
        Say(kStopping, sizeof kStopping - 1);
        state->AskStop();
    }
}

InterruptGuard::InterruptGuard(product::RunState& state) {
    interrupts = 0;
    guardedState = &state;
    struct sigaction action {};
    action.sa_handler = OnSigint;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a Ctrl-C at the confirmation question ends the wait.
    action.sa_flags = 0;
    sigaction(SIGINT, &action, &previousAction);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &previousAction, nullptr);
    guardedState = nullptr;
}

int InterruptGuard::Count() {
    return interrupts.load();
}

}  // namespace cli
