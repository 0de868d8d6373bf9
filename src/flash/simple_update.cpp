#include "flash/simple_update.h"

#include <array>
#include <cstdint>
#include <optional>

#include "chip/registers.h"
#include "flash/answer_watch.h"
#include "flash/changed_sectors.h"
#include "flash/flash_erase.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_status.h"
#include "flash/loop_steps.h"
#include "flash/weighted_progress.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

// The bar creeps towards 90 % of the erase's share while the poll runs, since
// how long a chip erase takes depends on the part.
constexpr double kEraseRampPolls = 50.0;
constexpr double kEraseRampCeiling = 0.9;

// A chip restarting from its new firmware is back on the bus within a few
// seconds; ten is generous and still short for a user watching the panel.
constexpr int kReturnChecks = 100;
constexpr std::uint32_t kReturnCheckPauseMs = 100;

constexpr std::array<UpdateStep, 3> kLoopSteps = {UpdateStep::BlankCheck, UpdateStep::Program,
                                                  UpdateStep::Verify};

// The checks that must pass before anything is erased, each as its step.
struct EarlyStop {
    UpdateStep step;
    FailurePoint failure;
};

std::optional<EarlyStop> CheckBeforeErase(usb::QuorvexUsb& link, const ImageView& image,
                                          FlashState& state, StepReporter& panel,
                                          AnswerWatch& watch) {
    std::optional<FailurePoint> stop = PrepareFlash(link, state);
    watch.After(UpdateStep::Identify);
    if (stop)
        return EarlyStop{UpdateStep::Identify, *stop};
    if (stop = CheckFits(state, 0, image.length, image.length); stop)
        return EarlyStop{UpdateStep::CheckSize, *stop};
    panel.ShowStep("Clear Status register");
    stop = ClearStatusRegister(link);
    watch.After(UpdateStep::ClearStatus);
    if (stop)
        return EarlyStop{UpdateStep::ClearStatus, *stop};
    return std::nullopt;
}

UpdateResult StoppedBeforeErase(StepReporter& panel, const EarlyStop& stop,
                                const AnswerWatch& watch) {
    UpdateResult result;
    result.failedStep = stop.step;
    result.failure = stop.failure;
    panel.ShowStep(watch.MarkFailure(result) ? result.failure.cause
                                             : StopText(stop.step, stop.failure));
    return result;
}

// "Start" shows the dots on the panel line and moves its bar; the ISP page's
// status register label is not the end user's.
bool EraseForStart(usb::QuorvexUsb& link, StepReporter& panel, FlashProgress& progress) {
    return EraseWholeChip(link, panel, progress, [&progress](int poll, std::uint8_t) {
        progress.SetShareDone(kEraseRampCeiling * poll / (poll + kEraseRampPolls));
    });
}

// The steps that change the flash, each only when the one before it passed:
// the erase, then blank check, program and verify. The first failure is
// recorded in `result` and ends them; the caller's cleanup runs either way.
void EraseAndWrite(usb::QuorvexUsb& link, usb::OpenScope& device, const ImageView& image,
                   FlashState& state, StepReporter& panel, WeightedProgress& weighted,
                   AnswerWatch& watch, UpdateResult& result) {
    const bool erased = EraseForStart(link, panel, weighted);
    if (!erased)
        panel.ShowStep(StepStatusText(UpdateStep::Erase));
    watch.After(UpdateStep::Erase);
    // The loops run on a fresh handle, as after the ISP page's own erase; the
    // protection write after a failed erase uses it too.
    device.Reopen();
    if (!erased) {
        result.failedStep = UpdateStep::Erase;
        result.failure.cause = "the chip erase was not sent or did not finish";
        return;
    }
    const LoopRun run{link, image, {0, image.length, 0}, state, panel, weighted};
    for (UpdateStep step : kLoopSteps) {
        weighted.BeginStep(step);
        const bool passed = RunLoopStep(run, step, &result.failure);
        watch.After(step);
        if (!passed) {
            result.failedStep = step;
            return;
        }
    }
}

// Everything the run does on the open device, which is closed when this
// returns, before the run says how it ended. A check that fails before the
// erase stops it there: nothing has changed on the flash, so there is no
// protection to restore and the chip only goes back to its firmware.
// Otherwise, however the flash steps ended, the part is protected again and
// the chip leaves ISP mode, in this order.
std::optional<EarlyStop> RunOnDevice(usb::QuorvexUsb& link, const ImageView& image,
                                     FlashState& state, StepReporter& panel,
                                     WeightedProgress& weighted, AnswerWatch& watch,
                                     UpdateMode mode, UpdateResult& result) {
    usb::OpenScope device(link);
    chip::IspMode(link, true);
    if (auto stop = CheckBeforeErase(link, image, state, panel, watch)) {
        chip::IspMode(link, false);
        return stop;
    }
    if (mode == UpdateMode::ChangedOnly)
        WriteChangedSectors(link, image, state, panel, weighted, watch, result);
    else
        EraseAndWrite(link, device, image, state, panel, weighted, watch, result);
    result.protectionNotSet = !WriteProtection(link, state.profile);
    chip::IspMode(link, false);
    return std::nullopt;
}

}  // namespace

bool AwaitDeviceReturn(usb::QuorvexUsb& link, const DeviceReturnCheck& deviceIsBack,
                       FlashProgress& progress) {
    for (int n = 0; n < kReturnChecks; ++n) {
        // The chip needs a moment to drop off the bus before it comes back.
        link.SleepMs(kReturnCheckPauseMs);
        progress.PumpEvents();
        if (deviceIsBack())
            return true;
    }
    return false;
}

UpdateResult RunSimpleUpdate(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                             StepReporter& panel, FlashProgress& progress,
                             const DeviceReturnCheck& deviceIsBack, UpdateMode mode) {
    WeightedProgress weighted(progress);
    weighted.BeginStep(UpdateStep::Erase);
    AnswerWatch watch(link);
    panel.ShowStep("Enter ISP Mode");
    weighted.PumpEvents();
    UpdateResult result;
    if (const auto stop = RunOnDevice(link, image, state, panel, weighted, watch, mode, result))
        return StoppedBeforeErase(panel, *stop, watch);
    watch.After(UpdateStep::Protect);
    result.succeeded = !result.failedStep;
    if (watch.MarkFailure(result))
        panel.ShowStep(result.failure.cause);
    if (!result.succeeded)
        return result;
    result.failedStep.reset();
    result.failure = {};
    if (deviceIsBack)
        result.deviceNotBack = !AwaitDeviceReturn(link, deviceIsBack, weighted);
    weighted.Finish();
    return result;
}

}  // namespace flash
