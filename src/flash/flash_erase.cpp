#include "flash/flash_erase.h"

#include "chip/flash_commands.h"
#include "flash/flash_progress.h"
#include "flash/flash_status.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

// The erase instruction needs a moment before its first status poll.
constexpr std::uint32_t kEraseSettleMs = 10;
// Roughly 10 s per erase, far more than a sector or a whole chip takes.
constexpr int kErasePolls = 1000;
constexpr std::uint32_t kErasePollPauseMs = 10;

bool PollEraseDone(usb::QuorvexUsb& link, FlashProgress& progress, const ErasePollReport& report) {
    for (int n = 0; n < kErasePolls; ++n) {
        const std::uint8_t status = chip::FlashReadStatus(link);
        report(n, status);
        progress.PumpEvents();
        if (!IsBusy(status))
            return true;
        if (link.StoppedAnswering())
            return false;
        link.SleepMs(kErasePollPauseMs);
    }
    return false;
}

}  // namespace

bool EraseAndWait(usb::QuorvexUsb& link, const std::function<bool()>& instruction,
                  FlashProgress& progress, const ErasePollReport& report) {
    if (!chip::FlashWriteEnable(link) || !instruction())
        return false;
    link.SleepMs(kEraseSettleMs);
    return PollEraseDone(link, progress, report);
}

bool EraseSectorAndWait(usb::QuorvexUsb& link, std::uint32_t address, FlashProgress& progress,
                        const ErasePollReport& report) {
    return EraseAndWait(
        link, [&link, address] { return chip::FlashEraseSector(link, address); }, progress, report);
}

bool EraseWholeChip(usb::QuorvexUsb& link, StepReporter& line, FlashProgress& progress,
                    const ErasePollReport& report) {
    line.ShowStep(EraseAllText(0));
    return EraseAndWait(
        link, [&link] { return chip::FlashEraseChip(link); }, progress,
        [&line, &report](int poll, std::uint8_t status) {
            line.ShowStep(EraseAllText(poll));
            report(poll, status);
        });
}

}  // namespace flash
