#include "flash/auto_update.h"

#include <array>
#include <cstdint>
#include <utility>

#include "chip/registers.h"
#include "flash/auto_run_host.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_status.h"
#include "flash/isp_erase.h"
#include "flash/loop_steps.h"
#include "flash/operation_range.h"
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

void ClearAndErase(usb::QuorvexUsb& link, FlashState& state, AutoRunHost& host,
                   FlashProgress& progress) {
    progress.SetStepText("Clear Status register");
    ClearStatusRegister(link);
    const EraseScope scope =
        host.IsWholeFlashSelected() ? EraseScope::WholeChip : EraseScope::AccessRange;
    EraseFlash(link, scope, state, progress);
}

}  // namespace

bool RunAutoUpdate(usb::QuorvexUsb& link, FlashState& state, AutoRunHost& host,
                   FlashProgress& progress) {
    if (host.IsTicked(AutoOption::ReloadFile) && !host.ReloadProgramFile()) {
        // The window has said why; nothing has been sent.
        progress.SetStepText("Reload File Fail");
        state.sequenceFailed = true;
        return false;
    }
    const ImageView image = host.Image();
    const OperationRange range = ResolveRange(state, host, image.length);
    progress.SetStepText("Enter ISP Mode");
    progress.PumpEvents();
    link.OpenDevice();
    if (host.IsTicked(AutoOption::IspMode))
        chip::IspMode(link, true);
    IdentifyFlash(link, state);
    if (host.IsTicked(AutoOption::Erase))
        ClearAndErase(link, state, host, progress);
    link.OpenDevice();  // the erase closed it, or it is reopened all the same
    // "Auto" shows its steps where the loops show theirs.
    ProgressStepReporter steps(progress);
    const LoopRun run{link, image, range, state, steps, progress};
    for (const auto& [option, step] : kLoopSteps) {
        if (host.IsTicked(option))
            RunLoopStep(run, step);
    }
    if (host.IsTicked(AutoOption::Protect))
        WriteProtection(link, state.profile);
    if (host.IsTicked(AutoOption::IspMode))
        chip::IspMode(link, false);
    link.CloseDevice();
    return !state.sequenceFailed;
}

}  // namespace flash
