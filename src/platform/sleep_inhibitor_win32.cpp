// Windows keeps a machine awake for a thread that says it needs the system:
// the state lasts until the same thread clears it, or ends.

#include <windows.h>

#include <utility>

#include "platform/sleep_inhibitor.h"

namespace platform {

SleepInhibitor::SleepInhibitor(SleepInhibitor&& other) noexcept
    : held_(std::exchange(other.held_, false)), problem_(std::move(other.problem_)) {}

SleepInhibitor& SleepInhibitor::operator=(SleepInhibitor&& other) noexcept {
    if (this != &other) {
        Release();
        held_ = std::exchange(other.held_, false);
        problem_ = std::move(other.problem_);
    }
    return *this;
}

bool SleepInhibitor::IsHeld() const noexcept {
    return held_;
}

void SleepInhibitor::Release() noexcept {
    // ES_CONTINUOUS alone clears what this thread asked for.
    if (std::exchange(held_, false))
        SetThreadExecutionState(ES_CONTINUOUS);
}

// Windows has no reason text or owner name for this state (powercfg
// /requests names the process), so `who` and `why` go unused here.
SleepInhibitor SleepInhibitor::Acquire(std::string_view /*who*/, std::string_view /*why*/) {
    SleepInhibitor inhibitor;
    if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0)
        inhibitor.problem_ = "Windows refused to keep the system awake (SetThreadExecutionState)";
    else
        inhibitor.held_ = true;
    return inhibitor;
}

}  // namespace platform
