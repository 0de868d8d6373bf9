#include "flash/isp_erase.h"

#include <cstdint>

#include "chip/flash_commands.h"
#include "flash/flash_progress.h"
#include "flash/flash_state.h"
#include "flash/flash_status.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint32_t kSectorSize = 4096;
// The erase instruction needs a moment before its first status poll.
constexpr std::uint32_t kEraseSettleMs = 10;

bool EraseWholeChip(usb::QuorvexUsb& link, FlashProgress& progress) {
    progress.SetStepText(EraseAllText(0));
    chip::FlashWriteEnable(link);
    chip::FlashEraseChip(link);
    link.SleepMs(kEraseSettleMs);
    return PollEraseDone(link, progress, [&progress](int poll, std::uint8_t status) {
        progress.SetStepText(EraseAllText(poll));
        progress.SetStatusRegisterText(StatusRegisterText(status));
    });
}

bool EraseSector(usb::QuorvexUsb& link, std::uint32_t address, FlashProgress& progress) {
    chip::FlashWriteEnable(link);
    chip::FlashEraseSector(link, address);
    link.SleepMs(kEraseSettleMs);
    return PollEraseDone(link, progress, [&progress, address](int, std::uint8_t status) {
        progress.SetStepText(SectorEraseText(address));
        progress.SetStatusRegisterText(StatusRegisterText(status));
    });
}

// Every sector is tried even after one timed out, so the flash ends up as
// erased as it can be; the range still counts as failed.
bool EraseSectors(usb::QuorvexUsb& link, const FlashState& state, FlashProgress& progress) {
    progress.SetStepText("Flash Sector Erase");
    if (state.rangeSize == 0) {
        progress.SetStepText("Flash Sector Erase: empty range, nothing erased");
        return true;
    }
    const std::uint64_t end = std::uint64_t{state.rangeStart} + state.rangeSize;
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
    link.OpenDevice();
    const bool done = scope == EraseScope::WholeChip ? EraseWholeChip(link, progress)
                                                     : EraseSectors(link, state, progress);
    link.CloseDevice();
    if (!done) {
        progress.SetStepText("Erase Flash Fail");
        state.sequenceFailed = true;
    }
    return done;
}

}  // namespace flash
