#pragma once

#include "flash/image_view.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
class StepReporter;
struct FlashState;

// The one-button update ("Start") once the user has confirmed the warning:
// enter ISP mode, identify the flash, clear the status register, erase the
// whole chip, then blank check, program and verify 0 .. imageLength with the
// image at offset 0 (whatever RangeStart holds), set the protection, leave
// ISP mode and close the device. Protection and ISP leave happen also after
// a failed step. Step texts go to `panel`; the loops' own texts, event
// pumping and the share of the whole update go to `progress`.
//
// The window clears `sequenceFailed` when a new run starts (a click during a
// run takes the stop branch and leaves it alone, so it cannot turn a failed
// run into a success), sets the captions and fonts, and turns the result into
// its final message.
UpdateResult RunSimpleUpdate(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                             StepReporter& panel, FlashProgress& progress);

}  // namespace flash
