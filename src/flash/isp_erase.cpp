#include "flash/isp_erase.h"

#include <cstdint>

#include "chip/flash_commands.h"
#include "flash/flash_erase.h"
#include "flash/flash_identify.h"
#include "flash/flash_progress.h"
#include "flash/flash_space.h"
#include "flash/flash_state.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint32_t kSectorSize = 4096;

bool EraseSector(usb::QuorvexUsb& link, std::uint32_t address, FlashProgress& progress) {
    return EraseAndWait(
        link, [&link, address] { return chip::FlashEraseSector(link, address); }, progress,
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

}  // namespace

bool EraseFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                FlashProgress& progress) {
    if (scope == EraseScope::AccessRange &&
        !RangeInsideFlash(state.rangeStart + state.rangeSize, progress)) {
        state.sequenceFailed = true;
        return false;
    }
    link.OpenDevice();
    std::optional<FailurePoint> stop = PrepareFlash(link, state);
    UpdateStep step = UpdateStep::Identify;
    if (!stop && scope == EraseScope::AccessRange) {
        step = UpdateStep::CheckSize;
        stop = CheckFits(state, state.rangeStart, state.rangeStart + state.rangeSize, 0);
    }
    link.CloseDevice();
    if (stop) {
        progress.SetStepText(StopText(step, *stop));
        state.sequenceFailed = true;
        return false;
    }
    return EraseIdentifiedFlash(link, scope, state, progress);
}

bool EraseIdentifiedFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                          FlashProgress& progress) {
    // A range past the flash would have its sector addresses cut to 24 bits
    // and erase the boot area; it fails the step before the device is touched.
    if (scope == EraseScope::AccessRange &&
        !RangeInsideFlash(state.rangeStart + state.rangeSize, progress)) {
        state.sequenceFailed = true;
        return false;
    }
    link.OpenDevice();
    bool done = false;
    if (scope == EraseScope::WholeChip) {
        ProgressStepReporter line(progress);
        done = EraseWholeChip(link, line, progress, [&progress](int, std::uint8_t status) {
            progress.SetStatusRegisterText(StatusRegisterText(status));
        });
    } else {
        done = EraseSectors(link, state, progress);
    }
    link.CloseDevice();
    if (!done) {
        progress.SetStepText("Erase Flash Fail");
        state.sequenceFailed = true;
    }
    return done;
}

}  // namespace flash
