#include "flash/simple_update.h"

#include <array>
#include <cstdint>

#include "chip/registers.h"
#include "flash/flash_erase.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_status.h"
#include "flash/loop_steps.h"
#include "flash/weighted_progress.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

// The bar creeps towards 90 % of the erase's share while the poll runs, since
// how long a chip erase takes depends on the part.
constexpr double kEraseRampPolls = 50.0;
constexpr double kEraseRampCeiling = 0.9;

constexpr std::array<UpdateStep, 3> kLoopSteps = {UpdateStep::BlankCheck, UpdateStep::Program,
                                                  UpdateStep::Verify};

void EnterIspAndIdentify(usb::QuorvexUsb& link, FlashState& state, StepReporter& panel,
                         FlashProgress& progress) {
    panel.ShowStep("Enter ISP Mode");
    progress.PumpEvents();
    link.OpenDevice();
    chip::IspMode(link, true);
    IdentifyFlash(link, state);
}

// "Start" shows the dots on the panel line and moves its bar; the ISP page's
// status register label is not the end user's.
bool EraseForStart(usb::QuorvexUsb& link, StepReporter& panel, FlashProgress& progress) {
    return EraseWholeChip(link, panel, progress, [&progress](int poll, std::uint8_t) {
        progress.SetShareDone(kEraseRampCeiling * poll / (poll + kEraseRampPolls));
    });
}

void ProtectAndLeaveIsp(usb::QuorvexUsb& link, const FlashState& state) {
    WriteProtection(link, state.profile);
    chip::IspMode(link, false);
    link.CloseDevice();
}

}  // namespace

UpdateResult RunSimpleUpdate(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                             StepReporter& panel, FlashProgress& progress) {
    WeightedProgress weighted(progress);
    weighted.BeginStep(UpdateStep::Erase);
    UpdateResult result;
    EnterIspAndIdentify(link, state, panel, weighted);
    panel.ShowStep("Clear Status register");
    ClearStatusRegister(link);
    if (!EraseForStart(link, panel, weighted)) {
        panel.ShowStep(StepStatusText(UpdateStep::Erase));
        state.sequenceFailed = true;
        result.failedStep = UpdateStep::Erase;
    }
    link.OpenDevice();
    const LoopRun run{link, image, {0, image.length, 0}, state, panel, weighted};
    for (UpdateStep step : kLoopSteps) {
        if (!state.sequenceFailed)
            weighted.BeginStep(step);
        if (RunLoopStep(run, step) == StepOutcome::Failed)
            result.failedStep = step;
    }
    ProtectAndLeaveIsp(link, state);
    result.succeeded = !state.sequenceFailed;
    if (result.succeeded) {
        result.failedStep.reset();
        weighted.Finish();
    }
    return result;
}

}  // namespace flash
