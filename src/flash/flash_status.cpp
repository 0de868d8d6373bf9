#include "flash/flash_status.h"

#include <cstdint>

#include "chip/flash_commands.h"
#include "chip/request_codes.h"
#include "flash/flash_profile.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr int kNotBusyReads = 101;
constexpr std::uint32_t kNotBusyPauseMs = 1;
constexpr int kWhileBusyReads = 1000;
constexpr std::uint32_t kWhileBusyPauseMs = 10;

bool ReadUntilNotBusy(usb::QuorvexUsb& link, int reads, std::uint32_t pauseMs) {
    for (int n = 0; n < reads; ++n) {
        if (!IsBusy(chip::FlashReadStatus(link)))
            return true;
        link.SleepMs(pauseMs);
    }
    return false;
}

}  // namespace

bool IsBusy(std::uint8_t status) {
    return (status & chip::kFlashStatusBusy) != 0;
}

bool WaitNotBusy(usb::QuorvexUsb& link) {
    return ReadUntilNotBusy(link, kNotBusyReads, kNotBusyPauseMs);
}

bool WaitWhileFlashBusy(usb::QuorvexUsb& link) {
    return ReadUntilNotBusy(link, kWhileBusyReads, kWhileBusyPauseMs);
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
