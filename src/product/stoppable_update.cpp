#include "product/stoppable_update.h"

#include <string>

#include "chip/registers.h"
#include "flash/flash_state.h"
#include "flash/simple_update.h"
#include "product/device_listing.h"
#include "product/run_state.h"
#include "product/stop_gate.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace product {

UpdateOutcome RunStoppableUpdate(usb::QuorvexUsb& link, StopGate& gate, RunState& state,
                                 const flash::ImageView& image, flash::FlashState& flashState,
                                 flash::StepReporter& panel, flash::FlashProgress& progress,
                                 flash::UpdateMode mode) {
    UpdateOutcome outcome;
    RunState::Run run(state);
    if (!run.Started())
        return outcome;
    outcome.started = true;
    if (state.StopAsked()) {
        // Asked before the first request (the process is being ended between
        // two devices): the device is left as it was, untouched.
        outcome.stopped = true;
        link.CloseDevice();
        return outcome;
    }
    gate.ResetRun();
    const std::uint64_t before = gate.RequestsPassed();
    // After leaving ISP mode the chip restarts from the new firmware: the run
    // waits, bounded, for this product to come back and says when it did not.
    const std::string updatedPath = link.DevicePath();
    outcome.result = flash::RunSimpleUpdate(
        link, image, flashState, panel, progress,
        [&link, &updatedPath] { return UpdatedProductBack(link, updatedPath); }, mode);
    outcome.eraseSent = gate.EraseSent();
    outcome.stopped = state.StopAsked();
    if (outcome.stopped && !outcome.eraseSent) {
        // The flash still holds the old firmware: let the chip boot it again.
        gate.Reopen();
        const usb::OpenScope device(link);
        outcome.leftIsp = chip::IspMode(link, false);
    }
    outcome.requests = gate.RequestsPassed() - before;
    run.Finish(outcome.result.succeeded && !outcome.stopped &&
               !flash::NotRestarted(outcome.result));
    return outcome;
}

}  // namespace product
