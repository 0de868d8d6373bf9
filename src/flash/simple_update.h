#pragma once

#include <functional>

#include "flash/range.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;
class StepReporter;
struct FlashState;

// Asked after a successful update has left ISP mode: whether the product is
// present again. The caller knows what its products look like on the bus; the
// flash layer only waits for the answer, on the link's clock.
using DeviceReturnCheck = std::function<bool()>;

// How the update writes the flash: the whole chip erased and written, or
// only the 4 KiB sectors that differ from the image (WriteChangedSectors).
enum class UpdateMode { Full, ChangedOnly };

// The one-button update ("Start") once the user has confirmed the warning:
// enter ISP mode, bring the flash to a known state and identify it (a flash
// not identified, or one smaller than the image, stops the run before
// anything is erased), clear the status register (a protection that does not
// come off stops it too), erase the whole chip, then blank check, program
// and verify 0 .. imageLength with the image at offset 0 (whatever RangeStart
// holds), set the protection and read it back, leave ISP mode and close the
// device. Protection and ISP leave happen also after a failed erase or loop
// step; a run stopped before the erase only leaves ISP mode. After a
// successful run it waits (bounded) until `deviceIsBack` says yes; an empty
// check skips the wait. Step texts go to `panel`; the loops' own texts, event
// pumping and the share of the whole update go to `progress`.
//
// The run returns at its first failed step; the protection write, ISP leave
// and close follow however it went. The window sets the captions and fonts
// and turns the result into its final message.
//
// With UpdateMode::ChangedOnly the chip erase, blank check, programming and
// verify give way to WriteChangedSectors; everything around them (the checks,
// the status clear, the protection, ISP leave, the wait) is the same.
UpdateResult RunSimpleUpdate(usb::QuorvexUsb& link, const ImageView& image, FlashState& state,
                             StepReporter& panel, FlashProgress& progress,
                             const DeviceReturnCheck& deviceIsBack = {},
                             UpdateMode mode = UpdateMode::Full);

// The bounded wait for the product after leaving ISP mode: checks every
// 100 ms for up to 10 s, pumping events in between. True when it came back.
bool AwaitDeviceReturn(usb::QuorvexUsb& link, const DeviceReturnCheck& deviceIsBack,
                       FlashProgress& progress);

}  // namespace flash
