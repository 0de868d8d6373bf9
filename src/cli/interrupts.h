#pragma once

namespace product {
class RunState;
}

namespace cli {

// Ctrl-C while an update may run. The first one during a run only warns that
// stopping may leave the device waiting in ISP mode; the second asks the run
// to stop at its next request. Outside a run a Ctrl-C just interrupts what
// waits (the confirmation question), which the caller sees as a count.
class InterruptGuard {
public:
    explicit InterruptGuard(product::RunState& state);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static int Count();
};

// What one Ctrl-C does; the system's handler calls it (interrupt_handler.h),
// and tests call it to press Ctrl-C at an exact request. Only
// async-signal-safe work inside.
void RaiseInterrupt();

}  // namespace cli
