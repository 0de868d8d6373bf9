#include "flash/isp_erase.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "flash/flash_erase.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_texts.h"
#include "flash/range.h"
#include "usb/open_scope.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

bool EraseSector(usb::QuorvexUsb& link, std::uint32_t address, FlashProgress& progress) {
    return EraseSectorAndWait(link, address, progress,
                              [&progress, address](int, std::uint8_t status) {
                                  progress.SetStepText(SectorEraseText(address));
                                  progress.SetStatusRegisterText(StatusRegisterText(status));
                              });
}

// Every sector is tried even after one timed out, so the flash ends up as
// erased as it can be; the range still counts as failed.
bool EraseSectors(usb::QuorvexUsb& link, const FlashState& state, FlashProgress& progress) {
    if (state.rangeSize == 0) {
        progress.SetStepText("Flash Sector Erase: empty range, nothing erased");
        return true;
    }
    progress.SetStepText("Flash Sector Erase");
    const std::uint64_t end = state.rangeStart + state.rangeSize;
    bool allDone = true;
    for (std::uint64_t a = state.rangeStart; a < end; a += kSectorSize) {
        if (!EraseSector(link, static_cast<std::uint32_t>(a), progress))
            allDone = false;
    }
    return allDone;
}

// A range past the flash would have its sector addresses cut to 24 bits and
// erase the boot area; it fails the step before the device is touched.
bool AccessRangeInsideFlash(EraseScope scope, FlashState& state, FlashProgress& progress) {
    if (scope == EraseScope::WholeChip ||
        RangeInsideFlash(state.rangeStart + state.rangeSize, progress)) {
        return true;
    }
    state.sequenceFailed = true;
    return false;
}

// The identification before the ISP page's own erase, on a device opened for
// it alone: the erase opens its own.
std::optional<std::pair<UpdateStep, FailurePoint>> IdentifyBeforeErase(usb::QuorvexUsb& link,
                                                                       EraseScope scope,
                                                                       FlashState& state) {
    const usb::OpenScope device(link);
    if (std::optional<FailurePoint> stop = PrepareFlash(link, state))
        return std::pair{UpdateStep::Identify, *stop};
    if (scope == EraseScope::AccessRange) {
        if (std::optional<FailurePoint> stop =
                CheckFits(state, state.rangeStart, state.rangeStart + state.rangeSize, 0)) {
            return std::pair{UpdateStep::CheckSize, *stop};
        }
    }
    return std::nullopt;
}

bool EraseOnDevice(usb::QuorvexUsb& link, EraseScope scope, const FlashState& state,
                   FlashProgress& progress) {
    const usb::OpenScope device(link);
    if (scope == EraseScope::AccessRange)
        return EraseSectors(link, state, progress);
    ProgressStepReporter line(progress);
    return EraseWholeChip(link, line, progress, [&progress](int, std::uint8_t status) {
        progress.SetStatusRegisterText(StatusRegisterText(status));
    });
}

// The erase once the range is known to lie inside the flash.
bool EraseInsideFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                      FlashProgress& progress) {
    const bool done = EraseOnDevice(link, scope, state, progress);
    if (!done) {
        progress.SetStepText("Erase Flash Fail");
        state.sequenceFailed = true;
    }
    return done;
}

}  // namespace

bool EraseFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                FlashProgress& progress) {
    if (!AccessRangeInsideFlash(scope, state, progress))
        return false;
    if (const auto stop = IdentifyBeforeErase(link, scope, state)) {
        progress.SetStepText(StopText(stop->first, stop->second));
        state.sequenceFailed = true;
        return false;
    }
    return EraseInsideFlash(link, scope, state, progress);
}

bool EraseIdentifiedFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                          FlashProgress& progress) {
    return AccessRangeInsideFlash(scope, state, progress) &&
           EraseInsideFlash(link, scope, state, progress);
}

}  // namespace flash
