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

}  // namespace

std::optional<std::uint8_t> ReadIdleStatus(usb::QuorvexUsb& link, int reads,
                                           std::uint32_t pauseMs) {
    for (int n = 0; n < reads; ++n) {
        const std::uint8_t status = chip::FlashReadStatus(link);
        if (!IsBusy(status))
            return status;
        if (link.StoppedAnswering())
            break;
        link.SleepMs(pauseMs);
    }
    return std::nullopt;
}

bool IsBusy(std::uint8_t status) {
    return (status & chip::kFlashStatusBusy) != 0;
}

bool WaitNotBusy(usb::QuorvexUsb& link) {
    return ReadIdleStatus(link, kNotBusyReads, kNotBusyPauseMs).has_value();
}

bool WaitWhileFlashBusy(usb::QuorvexUsb& link) {
    return ReadIdleStatus(link, kWhileBusyReads, kWhileBusyPauseMs).has_value();
}

bool WaitForEarlierErase(usb::QuorvexUsb& link) {
    // One read more than the pauses, so that the last comes after the whole time.
    constexpr int kReads = static_cast<int>(kSlowestChipEraseMs / kWhileBusyPauseMs) + 1;
    return ReadIdleStatus(link, kReads, kWhileBusyPauseMs).has_value();
}

std::optional<FailurePoint> ClearStatusRegister(usb::QuorvexUsb& link) {
    chip::FlashReadStatus(link);  // the byte is not used; the read is part of the sequence
    // Both requests go out even when the first failed, as the sequence has them.
    const bool enabled = chip::FlashWriteEnable(link);
    if (!chip::FlashWriteStatus(link, 0x00) || !enabled)
        return FailurePoint{std::nullopt, "the status write failed: " + link.LastRequestError()};
    const std::optional<std::uint8_t> status =
        ReadIdleStatus(link, kWhileBusyReads, kWhileBusyPauseMs);
    if (!status)
        return FailurePoint{std::nullopt, "the flash stays busy after the status write"};
    // A part whose status register is locked (its write-protect pin held)
    // ignores the write and would refuse the erase as well.
    if ((*status & kBlockProtectBits) != 0)
        return FailurePoint{std::nullopt, "the flash is write-protected"};
    return std::nullopt;
}

bool WriteProtection(usb::QuorvexUsb& link, const FlashProfile& profile) {
    const bool enabled = chip::FlashWriteEnable(link);
    const bool sent = chip::FlashWriteStatus(link, ProtectionValueFor(profile)) && enabled;
    const std::optional<std::uint8_t> status =
        ReadIdleStatus(link, kWhileBusyReads, kWhileBusyPauseMs);
    return sent && status && (*status & kBlockProtectBits) != 0;
}

}  // namespace flash
