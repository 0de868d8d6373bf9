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

// The ISP page's erase (btnUSBEraseClick), also run by "Auto". Opens and
// closes the device itself. A time-out on any erase, not only the last one,
// shows "Erase Flash Fail", sets `sequenceFailed` and returns false. An empty
// access range erases nothing, says so, and is not a failure. An access range
// that reaches past the flash is refused before the device is opened, with
// `sequenceFailed` set.
bool EraseFlash(usb::QuorvexUsb& link, EraseScope scope, FlashState& state,
                FlashProgress& progress);

}  // namespace flash
