#include "flash/flash_status.h"

#include "chip/flash_commands.h"
#include "chip/request_codes.h"
#include "flash/flash_profile.h"
#include "flash/flash_progress.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr int kNotBusyReads = 101;
constexpr std::uint32_t kNotBusyPauseMs = 1;
constexpr int kWhileBusyReads = 1000;
constexpr std::uint32_t kWhileBusyPauseMs = 10;
constexpr int kErasePolls = 1000;
constexpr std::uint32_t kErasePollPauseMs = 10;

bool IsBusy(std::uint8_t status) {
    return (status & chip::kFlashStatusBusy) != 0;
}

bool ReadUntilNotBusy(usb::QuorvexUsb& link, int reads, std::uint32_t pauseMs) {
    for (int n = 0; n < reads; ++n) {
        if (!IsBusy(chip::FlashReadStatus(link)))
            return true;
        link.SleepMs(pauseMs);
    }
    return false;
}

}  // namespace

bool WaitNotBusy(usb::QuorvexUsb& link) {
    return ReadUntilNotBusy(link, kNotBusyReads, kNotBusyPauseMs);
}

bool WaitWhileFlashBusy(usb::QuorvexUsb& link) {
    return ReadUntilNotBusy(link, kWhileBusyReads, kWhileBusyPauseMs);
}

bool PollEraseDone(usb::QuorvexUsb& link, FlashProgress& progress, const ErasePollReport& report) {
    for (int n = 0; n < kErasePolls; ++n) {
        const std::uint8_t status = chip::FlashReadStatus(link);
        report(n, status);
        progress.PumpEvents();
        if (!IsBusy(status))
            return true;
        link.SleepMs(kErasePollPauseMs);
    }
    return false;
}

void ClearStatusRegister(usb::QuorvexUsb& link) {
    chip::FlashReadStatus(link);  // the byte is not used; the read is part of the sequence
    chip::FlashWriteEnable(link);
    chip::FlashWriteStatus(link, 0x00);
    WaitWhileFlashBusy(link);
}

void WriteProtection(usb::QuorvexUsb& link, const FlashProfile& profile) {
    chip::FlashWriteEnable(link);
    chip::FlashWriteStatus(link, ProtectionValueFor(profile));
    WaitWhileFlashBusy(link);
}

}  // namespace flash
