#pragma once

#include "flash/range.h"
#include "flash/read_back.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
struct FlashState;

// The cores of the ISP page's Blank Check, Program, Verify and Read Flash
// buttons: each shows its start text, opens the device, runs its loop, shows
// its success text when the loop succeeded, and closes the device.
// `wholeFlash` is whether "All" is selected. Each returns the loop's result.
// Blank Check, Program and Verify first bring the flash to a known state and
// read the chip ID (choosing the profile); a flash not identified, or a range
// that does not fit it, ends the button with the reason on the step label.

bool RunBlankCheckButton(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                         bool wholeFlash, FlashProgress& progress);

// The fresh chip ID means the button never programs without a page size nor
// with the profile of another chip.
bool RunProgramButton(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                      bool wholeFlash, FlashProgress& progress);

bool RunVerifyButton(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                     bool wholeFlash, FlashProgress& progress);

// Reads 0 .. 0x8000 into the buffer. The window then asks for the dump file
// name and writes it with WriteReadBackDump(path, buffer, kReadFlashLast),
// also after a failed read.
bool RunReadFlashButton(usb::QuorvexUsb& link, ReadBackBuffer& buffer, FlashProgress& progress);

}  // namespace flash
