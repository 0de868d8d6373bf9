#include "flash/flash_identify.h"

#include "chip/flash_commands.h"
#include "flash/flash_profile.h"
#include "flash/flash_state.h"

namespace flash {

bool IdentifyFlash(usb::QuorvexUsb& link, FlashState& state) {
    const bool ok = chip::FlashReadId(link, state.chipId);
    state.profile = ProfileFor(state.chipId);
    return ok;
}

}  // namespace flash
