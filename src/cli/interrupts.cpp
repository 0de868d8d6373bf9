#include "cli/interrupts.h"

#include <array>
#include <atomic>

#include "cli/interrupt_handler.h"
#include "product/run_state.h"

namespace cli {
namespace {

std::atomic<int> interrupts{0};
// The runs a signal stops: the guard's own in the first slot, those of the
// devices updated side by side in the others. Fixed slots of lock-free
// pointers, so that the handler only reads them.
constexpr std::size_t kGuardedSlots = 64;
std::array<std::atomic<product::RunState*>, kGuardedSlots> guardedStates{};
std::atomic<bool> endRequested{false};
// Guards nest (a wait for a device inside an update): the outermost one
// installs the handler and starts the count.
int guardDepth = 0;
static_assert(std::atomic<product::RunState*>::is_always_lock_free);

constexpr const char kWarning[] =
    "\nStopping the update now may leave the device waiting in ISP mode for its firmware.\n"
    "Press Ctrl-C again to stop.\n";
constexpr const char kStopping[] = "\nStopping at the next request.\n";
constexpr const char kEnding[] = "\nAsked to end: stopping at the next request.\n";
constexpr const char kHungUp[] = "\nThe terminal was closed: stopping at the next request.\n";

bool AnyRunning() {
    for (const auto& slot : guardedStates) {
        const product::RunState* state = slot.load();
        if (state != nullptr && state->Running())
            return true;
    }
    return false;
}

// Asks every running run to stop; true when one had not been asked yet.
bool StopRunning() {
    bool asked = false;
    for (const auto& slot : guardedStates) {
        product::RunState* state = slot.load();
        if (state == nullptr || !state->Running() || state->StopAsked())
            continue;
        state->AskStop();
        asked = true;
    }
    return asked;
}

}  // namespace

void RaiseInterrupt() {
    const int count = ++interrupts;
    if (!AnyRunning())
        return;
    if (count == 1)
        SayFromInterrupt(kWarning, sizeof kWarning - 1);
    else if (StopRunning())
        SayFromInterrupt(kStopping, sizeof kStopping - 1);
}

void RaiseEndRequest(EndRequest request) {
    ++interrupts;
    endRequested = true;
    bool stopsARun = false;
    for (const auto& slot : guardedStates) {
        product::RunState* state = slot.load();
        if (state == nullptr)
            continue;
        stopsARun = stopsARun || (state->Running() && !state->StopAsked());
        state->AskStopForGood();
    }
    if (!stopsARun)
        return;
    // Said on standard error, which may be a log even when the terminal is gone.
    if (request == EndRequest::HangUp)
        SayFromInterrupt(kHungUp, sizeof kHungUp - 1);
    else
        SayFromInterrupt(kEnding, sizeof kEnding - 1);
}

InterruptGuard::InterruptGuard(product::RunState& state) : previous_(guardedStates[0].load()) {
    if (guardDepth++ == 0) {
        interrupts = 0;
        endRequested = false;
        InstallInterruptHandler();
    }
    guardedStates[0] = &state;
}

InterruptGuard::~InterruptGuard() {
    if (--guardDepth == 0)
        RestoreInterruptHandler();
    guardedStates[0] = previous_;
}

InterruptGuard::Watch::Watch(product::RunState& state) {
    for (std::size_t i = 1; i < kGuardedSlots; ++i) {
        product::RunState* empty = nullptr;
        if (guardedStates[i].compare_exchange_strong(empty, &state)) {
            slot_ = static_cast<int>(i);
            break;
        }
    }
    // A run that starts after the process was asked to end sends nothing.
    if (endRequested)
        state.AskStopForGood();
}

InterruptGuard::Watch::~Watch() {
    if (slot_ > 0)
        guardedStates[static_cast<std::size_t>(slot_)] = nullptr;
}

int InterruptGuard::Count() {
    return interrupts.load();
}

}  // namespace cli
