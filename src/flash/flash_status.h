#pragma once

#include <cstdint>
#include <functional>

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
struct FlashProfile;

// Before programming: up to 101 status reads, 1 ms after each busy one.
// True at the first read with the busy bit clear.
bool WaitNotBusy(usb::QuorvexUsb& link);

// After a status write: up to 1000 status reads, 10 ms after each busy one.
// Running out is silent for the runs; the result says whether it did.
bool WaitWhileFlashBusy(usb::QuorvexUsb& link);

// Called after each erase poll with the poll number (from 0) and the status
// read, so the caller can show its own progress text.
using ErasePollReport = std::function<void(int poll, std::uint8_t status)>;

// The poll that follows an erase instruction and its 10 ms pause: up to 1000
// status reads, events pumped after each, 10 ms after each busy one. True
// when the erase finished.
bool PollEraseDone(usb::QuorvexUsb& link, FlashProgress& progress, const ErasePollReport& report);

// "Clear Status register": read the status, then write 0x00 and wait.
void ClearStatusRegister(usb::QuorvexUsb& link);

// Writes the profile's protection value and waits for the flash.
void WriteProtection(usb::QuorvexUsb& link, const FlashProfile& profile);

}  // namespace flash
