#pragma once

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
struct FlashState;

enum class EraseScope {
    WholeChip,    // "All" selected: chip erase with the dot progress
    AccessRange,  // "Assign Range": 4 KiB sectors over RangeStart .. RangeStart + RangeSize
};

// The ISP page's erase (btnUSBEraseClick). Opens and closes the device
// itself. Like every sequence it first brings the flash to a known state and
// identifies it (PrepareFlash); a flash not identified, or an access range
// beyond the identified part, stops it before anything is erased, with the
// reason on the step label. Otherwise as EraseIdentifiedFlash.
bool EraseFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                FlashProgress& progress);

// The erase once the flash is identified, as "Auto" runs it after its own
// identification. Opens and closes the device itself. A time-out on any
// erase, not only the last one, shows "Erase Flash Fail", sets
// `sequenceFailed` and returns false. An empty access range erases nothing,
// says so, and is not a failure. An access range that reaches past the 24-bit
// address space is refused before the device is opened, with `sequenceFailed`
// set.
bool EraseIdentifiedFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                          FlashProgress& progress);

}  // namespace flash
