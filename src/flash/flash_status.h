#pragma once

#include <cstdint>

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

// "Clear Status register": read the status, then write 0x00 and wait.
void ClearStatusRegister(usb::QuorvexUsb& link);

// Writes the profile's protection value and waits for the flash.
void WriteProtection(usb::QuorvexUsb& link, const FlashProfile& profile);

}  // namespace flash
