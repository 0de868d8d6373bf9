#include "flash/auto_update.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "chip/registers.h"
#include "flash/answer_watch.h"
#include "flash/auto_run_host.h"
#include "flash/changed_sectors.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_status.h"
#include "flash/flash_texts.h"
#include "flash/isp_erase.h"
#include "flash/loop_steps.h"
#include "flash/range.h"
#include "flash/weighted_progress.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint64_t kBytesPerKb = 1024;

constexpr std::array<std::pair<AutoOption, UpdateStep>, 3> kLoopSteps = {{
    {AutoOption::Blank, UpdateStep::BlankCheck},
    {AutoOption::Program, UpdateStep::Program},
    {AutoOption::Verify, UpdateStep::Verify},
}};

// "Assign Range" takes the edits anew and places the image at RangeStart. In
// 64 bits, so that no KB value wraps round to a small address; what lies
// beyond the flash is refused by the erase and the loops.
OperationRange ResolveRange(FlashState& state, AutoRunHost& host, std::uint32_t imageLength) {
    if (host.IsWholeFlashSelected())
        return OperationRangeFor(true, 0, imageLength);
    state.rangeStart = std::uint64_t{host.RangeStartKb()} * kBytesPerKb;
    state.rangeSize = std::uint64_t{host.RangeSizeKb()} * kBytesPerKb;
    return OperationRangeFor(false, state.rangeStart, imageLength);
}

// The highest address the run will touch: the loops' end, and with a range
// erase the end of the access range.
std::uint64_t ReachOf(const FlashState& state, AutoRunHost& host, const OperationRange& range) {
    std::uint64_t reach = range.end;
    if (host.IsTicked(AutoOption::Erase) && !host.IsWholeFlashSelected())
        reach = std::max(reach, state.rangeStart + state.rangeSize);
    return reach;
}

// Identification and the size check, before anything is erased or written.
std::optional<std::pair<UpdateStep, FailurePoint>> CheckFlash(usb::QuorvexUsb& link,
                                                              FlashState& state, AutoRunHost& host,
                                                              const OperationRange& range,
                                                              std::uint32_t imageLength) {
    if (std::optional<FailurePoint> stop = PrepareFlash(link, state))
        return std::pair{UpdateStep::Identify, *stop};
    if (std::optional<FailurePoint> stop =
            CheckFits(state, range.first, ReachOf(state, host, range), imageLength)) {
        return std::pair{UpdateStep::CheckSize, *stop};
    }
    return std::nullopt;
}

// A protection that does not come off would make the part refuse the erase;
// the run stops there, having changed nothing.
bool ClearAndErase(usb::QuorvexUsb& link, FlashState& state, AutoRunHost& host,
                   FlashProgress& progress) {
    progress.SetStepText("Clear Status register");
    if (std::optional<FailurePoint> stop = ClearStatusRegister(link)) {
        progress.SetStepText(StopText(UpdateStep::ClearStatus, *stop));
        return false;
    }
    const EraseScope scope =
        host.IsWholeFlashSelected() ? EraseScope::WholeChip : EraseScope::AccessRange;
    return EraseIdentifiedFlash(link, scope, state, progress);
}

void StopBeforeErase(usb::QuorvexUsb& link, AutoRunHost& host, FlashProgress& progress,
                     UpdateStep step, const FailurePoint& failure) {
    progress.SetStepText(StopText(step, failure));
    if (host.IsTicked(AutoOption::IspMode))
        chip::IspMode(link, false);
}

// "Changed Only": the status clear, then the changed sectors rewritten and
// the whole image verified. The failure stays on the step label.
bool WriteOnlyChanged(usb::QuorvexUsb& link, FlashState& state, const ImageView& image,
                      FlashProgress& progress, AnswerWatch& watch) {
    progress.SetStepText("Clear Status register");
    if (std::optional<FailurePoint> stop = ClearStatusRegister(link)) {
        progress.SetStepText(StopText(UpdateStep::ClearStatus, *stop));
        return false;
    }
    ProgressStepReporter steps(progress);
    WeightedProgress weighted(progress);
    UpdateResult result;
    WriteChangedSectors(link, image, state, steps, weighted, watch, result);
    if (!result.failedStep)
        return true;
    if (*result.failedStep == UpdateStep::Erase) {
        state.sequenceFailed = true;
        progress.SetStepText("Erase Flash Fail");
    } else if (*result.failedStep == UpdateStep::Compare) {
        progress.SetStepText("Comparing Fail at 0x" +
                             Hex6(static_cast<std::uint32_t>(result.failure.address.value_or(0))));
    }
    return false;
}

// The ticked steps that change or check the flash, each only when the one
// before it passed. False at the first failure; the caller's cleanup runs
// either way.
bool EraseAndWrite(usb::QuorvexUsb& link, usb::OpenScope& device, FlashState& state,
                   AutoRunHost& host, const ImageView& image, const OperationRange& range,
                   FlashProgress& progress, AnswerWatch& watch) {
    if (host.IsTicked(AutoOption::ChangedOnly))
        return WriteOnlyChanged(link, state, image, progress, watch);
    const bool erased =
        !host.IsTicked(AutoOption::Erase) || ClearAndErase(link, state, host, progress);
    watch.After(UpdateStep::Erase);
    device.Reopen();  // the erase closed it, or it is reopened all the same
    if (!erased)
        return false;
    // "Auto" shows its steps where the loops show theirs.
    ProgressStepReporter steps(progress);
    const LoopRun run{link, image, range, state, steps, progress};
    for (const auto& [option, step] : kLoopSteps) {
        const bool passed = !host.IsTicked(option) || RunLoopStep(run, step);
        watch.After(step);
        if (!passed)
            return false;
    }
    return true;
}

enum class DeviceRun { StoppedBeforeErase, Failed, Passed };

// Everything the run does on the open device, which is closed when this
// returns. However the steps ended after the checks: the protection when
// ticked (its own failure said only when nothing failed before, so a failure
// text stays in view), then ISP leave when ticked.
DeviceRun RunOnDevice(usb::QuorvexUsb& link, FlashState& state, AutoRunHost& host,
                      const ImageView& image, const OperationRange& range, FlashProgress& progress,
                      AnswerWatch& watch) {
    usb::OpenScope device(link);
    if (host.IsTicked(AutoOption::IspMode))
        chip::IspMode(link, true);
    if (const auto stop = CheckFlash(link, state, host, range, image.length)) {
        StopBeforeErase(link, host, progress, stop->first, stop->second);
        return DeviceRun::StoppedBeforeErase;
    }
    watch.After(UpdateStep::Identify);
    const bool written = EraseAndWrite(link, device, state, host, image, range, progress, watch);
    if (host.IsTicked(AutoOption::Protect) && !WriteProtection(link, state.profile) && written)
        progress.SetStepText("The flash protection could not be set");
    if (host.IsTicked(AutoOption::IspMode))
        chip::IspMode(link, false);
    return written ? DeviceRun::Passed : DeviceRun::Failed;
}

}  // namespace

bool RunAutoUpdate(usb::QuorvexUsb& link, FlashState& state, AutoRunHost& host,
                   FlashProgress& progress) {
    if (host.IsTicked(AutoOption::ReloadFile) && !host.ReloadProgramFile()) {
        // The window has said why; nothing has been sent.
        progress.SetStepText("Reload File Fail");
        return false;
    }
    // Sectors are erased whole: below a RangeStart inside one they would take
    // bytes outside the image with them.
    if (host.IsTicked(AutoOption::ChangedOnly) && !host.IsWholeFlashSelected()) {
        progress.SetStepText("Changed Only works with \"All\": nothing done");
        return false;
    }
    const ImageView image = host.Image();
    const OperationRange range = ResolveRange(state, host, image.length);
    AnswerWatch watch(link);
    progress.SetStepText("Enter ISP Mode");
    progress.PumpEvents();
    const DeviceRun run = RunOnDevice(link, state, host, image, range, progress, watch);
    if (run == DeviceRun::StoppedBeforeErase)
        return false;
    watch.After(UpdateStep::Protect);
    if (watch.SilentAt()) {
        progress.SetStepText(StoppedAnsweringText(*watch.SilentAt()));
        return false;
    }
    return run == DeviceRun::Passed;
}

}  // namespace flash
