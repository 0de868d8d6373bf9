#pragma once

namespace usb {
class QuorvexUsb;
}

namespace flash {

class AutoRunHost;
class FlashProgress;
struct FlashState;

// The "Auto" run of the ISP page once its refusal checks have passed and its
// caption reads "Stop": reload, range, then each ticked step in turn (ISP
// mode, clear status and the ISP page's erase, blank check, program, verify,
// protection, ISP leave), with its texts on the ISP page. The chip ID is read
// and the profile chosen whatever is ticked, so programming always has a page
// size. With "Changed Only" ticked and "All" selected, the flash is updated
// sector by sector instead of the ticked erase, blank check, program and
// verify; with "Assign Range" that option refuses the run before anything is
// sent. The first failed step ends the steps; the protection (when ticked),
// ISP leave (when ticked) and the close follow however the run went. Returns
// whether every step passed; the run itself shows no overall result.
bool RunAutoUpdate(usb::QuorvexUsb& link, FlashState& state, AutoRunHost& host,
                   FlashProgress& progress);

}  // namespace flash
