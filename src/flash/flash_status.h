#pragma once

#include <cstdint>
#include <optional>

#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

struct FlashProfile;

// Bit 0 of the status register: an erase or program is still running. A
// status read that obtained no byte yields 0xFF and so looks busy.
bool IsBusy(std::uint8_t status);

// Before programming: up to 101 status reads, 1 ms after each busy one.
// True at the first read with the busy bit clear.
bool WaitNotBusy(usb::QuorvexUsb& link);

// After a status write: up to 1000 status reads, 10 ms after each busy one.
// Running out is silent for the runs; the result says whether it did.
bool WaitWhileFlashBusy(usb::QuorvexUsb& link);

// The longest whole-chip erase of the parts we know: the W25Q80's maximum.
inline constexpr std::uint32_t kSlowestChipEraseMs = 6000;

// Before the identification: a chip erase goes on inside the part after the
// run that started it was cut off (unplugged, stopped, its replies lost),
// and meanwhile the part ignores everything but status reads. Status reads
// 10 ms apart for as long as kSlowestChipEraseMs; true at the first read
// with the busy bit clear.
bool WaitForEarlierErase(usb::QuorvexUsb& link);

// The block-protect field of the status register (bits 2 to 5 on every part
// we know; parts with fewer BP bits read the rest as 0).
inline constexpr std::uint8_t kBlockProtectBits = 0x3C;

// "Clear Status register": read the status, then write 0x00 and wait, and
// read back that the block protection is off. Empty when it is; otherwise
// why not: a request that failed, a flash that stays busy, or a status that
// keeps its protection ("the flash is write-protected"), after which the
// erase would be refused by the part.
std::optional<FailurePoint> ClearStatusRegister(usb::QuorvexUsb& link);

// Writes the profile's protection value, waits for the flash and reads the
// status back. True when the block protection now stands in it.
bool WriteProtection(usb::QuorvexUsb& link, const FlashProfile& profile);

// Up to `reads` status reads, `pauseMs` after each busy one: the first status
// with the busy bit clear, or nothing when the flash stayed busy.
std::optional<std::uint8_t> ReadIdleStatus(usb::QuorvexUsb& link, int reads, std::uint32_t pauseMs);

}  // namespace flash
