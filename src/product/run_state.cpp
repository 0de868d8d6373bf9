#include "product/run_state.h"

namespace product {

RunState::LinkHold::LinkHold(RunState& state) : state_(state), acquired_(!state.linkHeld_) {
    if (acquired_)
        state_.linkHeld_ = true;
}

RunState::LinkHold::~LinkHold() {
    if (acquired_)
        state_.linkHeld_ = false;
}

RunState::Run::Run(RunState& state) : state_(state), hold_(state) {
    if (!hold_.Acquired())
        return;
    state_.phase_ = RunPhase::Running;
    // Checked after the phase is set, while AskStopForGood sets its flag
    // before it asks: a request to end the process that races the start is
    // seen by one of the two.
    if (state_.stopForGood_)
        state_.AskStop();
}

RunState::Run::~Run() {
    if (Started() && !finished_)
        state_.phase_ = RunPhase::Failed;
}

void RunState::Run::Finish(bool succeeded) {
    if (!Started())
        return;
    finished_ = true;
    state_.phase_ = succeeded ? RunPhase::Finished : RunPhase::Failed;
}

bool RunState::Running() const {
    const RunPhase phase = phase_.load();
    return phase == RunPhase::Running || phase == RunPhase::StopAsked;
}

void RunState::AskStopForGood() {
    stopForGood_ = true;
    AskStop();
}

void RunState::AskStop() {
    RunPhase running = RunPhase::Running;
    phase_.compare_exchange_strong(running, RunPhase::StopAsked);
}

}  // namespace product
