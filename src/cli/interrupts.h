#pragma once

namespace product {
class RunState;
}

namespace cli {

// Ctrl-C, and the requests to end the process, while an update may run. The
// first Ctrl-C during a run only warns that stopping may leave the device
// waiting in ISP mode; the second asks the run to stop at its next request.
// A request to end the process (a supervisor's SIGTERM, the SIGHUP of a
// closed terminal; on Windows a closed console, a logoff or a shutdown)
// stops at once, as a second Ctrl-C does: nobody is left to see a warning.
// Outside a run either just interrupts what waits (the confirmation
// question), which the caller sees as a count.
class InterruptGuard {
public:
    explicit InterruptGuard(product::RunState& state);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static int Count();

    // One more run that the guard stops, while it lives: the devices of
    // --all each run on a link of their own, and a stop reaches them all.
    class Watch {
    public:
        explicit Watch(product::RunState& state);
        ~Watch();
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;

    private:
        int slot_ = -1;
    };

private:
    product::RunState* previous_;
};

// What one Ctrl-C does; the system's handler calls it (interrupt_handler.h),
// and tests call it to press Ctrl-C at an exact request. Only
// async-signal-safe work inside.
void RaiseInterrupt();

enum class EndRequest {
    Terminate,  // SIGTERM; on Windows a logoff or a shutdown
    HangUp,     // SIGHUP: the terminal was closed; on Windows the console
};

// What a request to end the process does: the run stops at its next request
// and no later run (the next device of --all) sends anything. Only
// async-signal-safe work inside.
void RaiseEndRequest(EndRequest request);

}  // namespace cli
