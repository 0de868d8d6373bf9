#pragma once

#include <cstdint>

#include "chip/flash_commands.h"
#include "flash/flash_profile.h"

namespace flash {

// The flash values the ISP page and both update runs share. The window owns
// the one instance; the core reads and writes it only through the operations
// it is handed to.
struct FlashState {
    chip::ChipIdBytes chipId{};  // last identification read; zeros until one succeeds
    FlashProfile profile;        // page size 0 until a chip ID has been read for it
    // Bytes; wide enough that no start, size or start + size wraps, whatever
    // the edits held.
    std::uint64_t rangeStart = 0;
    std::uint64_t rangeSize = 0x8000;  // bounds only the sector erase
    // Set when the ISP page's erase fails, on its own or inside "Auto"; the
    // update runs return their outcome instead.
    bool sequenceFailed = false;
};

}  // namespace flash
