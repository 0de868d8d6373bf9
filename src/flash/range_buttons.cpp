#include "flash/range_buttons.h"

#include <optional>

#include "flash/flash_capacity.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/range.h"
#include "flash/range_loops.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

template <typename Loop>
bool RunOnOpenDevice(usb::QuorvexUsb& link, FlashProgress& progress, const char* successText,
                     Loop&& loop) {
    const usb::OpenScope device(link);
    const bool ok = loop();
    if (ok)
        progress.SetStepText(successText);
    return ok;
}

OperationRange RangeOf(const ImageView& image, const FlashState& state, bool wholeFlash) {
    return OperationRangeFor(wholeFlash, state.rangeStart, image.length);
}

// Like every sequence, a button's loop first brings the flash to a known
// state and identifies it, and stops with the reason on the step label when
// the flash is not identified or the range does not fit it.
bool FlashReadyFor(usb::QuorvexUsb& link, FlashState& state, const OperationRange& range,
                   std::uint32_t imageLength, FlashProgress& progress) {
    UpdateStep step = UpdateStep::Identify;
    std::optional<FailurePoint> stop = PrepareFlash(link, state);
    if (!stop) {
        step = UpdateStep::CheckSize;
        stop = CheckFits(state, range.first, range.end, imageLength);
    }
    if (stop)
        progress.SetStepText(StopText(step, *stop));
    return !stop;
}

}  // namespace

bool RunBlankCheckButton(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                         bool wholeFlash, FlashProgress& progress) {
    progress.SetStepText("Start Blanking Check");
    const OperationRange range = RangeOf(image, state, wholeFlash);
    return RunOnOpenDevice(link, progress, "Blanking Success", [&] {
        return FlashReadyFor(link, state, range, image.length, progress) &&
               BlankCheckRange(link, range.first, LastAddressOnFlash(state.chipId, range.end),
                               progress);
    });
}

bool RunProgramButton(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                      bool wholeFlash, FlashProgress& progress) {
    progress.SetStepText("Start Programming...");
    const OperationRange range = RangeOf(image, state, wholeFlash);
    return RunOnOpenDevice(link, progress, "Programming Success", [&] {
        return FlashReadyFor(link, state, range, image.length, progress) &&
               ProgramRange(link, image, range.imageBase, state.profile, range.first, range.end,
                            progress);
    });
}

bool RunVerifyButton(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                     bool wholeFlash, FlashProgress& progress) {
    progress.SetStepText("Start Verifying Check");
    const OperationRange range = RangeOf(image, state, wholeFlash);
    return RunOnOpenDevice(link, progress, "Verifying Success", [&] {
        return FlashReadyFor(link, state, range, image.length, progress) &&
               VerifyRange(link, image, range.imageBase, range.first,
                           LastAddressOnFlash(state.chipId, range.end), progress);
    });
}

bool RunReadFlashButton(usb::QuorvexUsb& link, ReadBackBuffer& buffer, FlashProgress& progress) {
    progress.SetStepText("Read Flash data back");
    return RunOnOpenDevice(link, progress, "Read Flash content Success", [&] {
        return ReadBackRange(link, buffer, kReadFlashFirst, kReadFlashLast, progress);
    });
}

}  // namespace flash
