#pragma once

#include <atomic>

namespace product {

enum class RunPhase { Idle, Running, StopAsked, Failed, Finished };

// The state of the long device operations of one front end, and the one gate
// that says whether the device link is free. Long operations hand control
// back between requests (the window pumps its events, the command line checks
// for Ctrl-C), so everything else asks LinkBusy() before it opens, closes or
// re-aims the link or changes the firmware image.
class RunState {
public:
    // Holds the link for as long as it lives, if it was free; released on
    // every way out, so a failed operation cannot lock the others out for good.
    class LinkHold {
    public:
        explicit LinkHold(RunState& state);
        ~LinkHold();
        LinkHold(const LinkHold&) = delete;
        LinkHold& operator=(const LinkHold&) = delete;
        bool Acquired() const { return acquired_; }
        explicit operator bool() const { return acquired_; }

    private:
        RunState& state_;
        bool acquired_;
    };

    // One update run: holds the link, enters Running, and ends Failed unless
    // Finish(true) said otherwise.
    class Run {
    public:
        explicit Run(RunState& state);
        ~Run();
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;
        bool Started() const { return hold_.Acquired(); }
        void Finish(bool succeeded);

    private:
        RunState& state_;
        LinkHold hold_;
        bool finished_ = false;
    };

    bool LinkBusy() const { return linkHeld_; }
    RunPhase Phase() const { return phase_.load(); }
    bool Running() const;
    // Asks a running run to stop at its next request; does nothing otherwise.
    // Safe from a signal handler: the phase is a lock-free atomic.
    void AskStop();
    // The process is being ended: asks the running run to stop, and every run
    // started from now on stops before its first request. Safe from a signal
    // handler, and from another thread (a Windows console handler).
    void AskStopForGood();
    bool StopAsked() const { return phase_.load() == RunPhase::StopAsked; }

private:
    bool linkHeld_ = false;
    std::atomic<RunPhase> phase_{RunPhase::Idle};
    std::atomic<bool> stopForGood_{false};
    static_assert(std::atomic<RunPhase>::is_always_lock_free);
    static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace product
