#pragma once

namespace usb {
class QuorvexUsb;
}

namespace flash {

struct FlashState;

// Reads the chip ID on an open device and chooses the flash profile from it.
// A failed read keeps the previous ID (zeros before any), so the profile then
// follows that one; the result is the read's.
bool IdentifyFlash(usb::QuorvexUsb& link, FlashState& state);

}  // namespace flash
