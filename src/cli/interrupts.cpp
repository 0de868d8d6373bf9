#include "cli/interrupts.h"

#include <atomic>

#include "cli/interrupt_handler.h"
#include "product/run_state.h"

namespace cli {
namespace {

std::atomic<int> interrupts{0};
std::atomic<product::RunState*> guardedState{nullptr};

constexpr const char kWarning[] =
    "\nStopping the update now may leave the device waiting in ISP mode for its firmware.\n"
    "Press Ctrl-C again to stop.\n";
constexpr const char kStopping[] = "\nStopping at the next request.\n";
constexpr const char kEnding[] = "\nAsked to end: stopping at the next request.\n";
constexpr const char kHungUp[] = "\nThe terminal was closed: stopping at the next request.\n";

}  // namespace

void RaiseInterrupt() {
    const int count = ++interrupts;
    product::RunState* state = guardedState.load();
    if (state == nullptr || !state->Running())
        return;
    if (count == 1) {
        SayFromInterrupt(kWarning, sizeof kWarning - 1);
    } else if (!state->StopAsked()) {
        SayFromInterrupt(kStopping, sizeof kStopping - 1);
        state->AskStop();
    }
}

void RaiseEndRequest(EndRequest request) {
    ++interrupts;
    product::RunState* state = guardedState.load();
    if (state == nullptr)
        return;
    const bool stopsARun = state->Running() && !state->StopAsked();
    state->AskStopForGood();
    if (!stopsARun)
        return;
    // Said on standard error, which may be a log even when the terminal is gone.
    if (request == EndRequest::HangUp)
        SayFromInterrupt(kHungUp, sizeof kHungUp - 1);
    else
        SayFromInterrupt(kEnding, sizeof kEnding - 1);
}

InterruptGuard::InterruptGuard(product::RunState& state) {
    interrupts = 0;
    guardedState = &state;
    InstallInterruptHandler();
}

InterruptGuard::~InterruptGuard() {
    RestoreInterruptHandler();
    guardedState = nullptr;
}

int InterruptGuard::Count() {
    return interrupts.load();
}

}  // namespace cli
