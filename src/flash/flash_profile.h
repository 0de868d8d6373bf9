#pragma once

#include <cstdint>

#include "chip/flash_commands.h"

namespace flash {

// How the program loop writes the flash, chosen from the JEDEC identification.
struct FlashProfile {
    std::uint16_t pageSize = 0;  // 0 until a chip ID has been read for it
    bool wordProgram = false;    // auto-address-increment word programming

    bool operator==(const FlashProfile&) const = default;
};

// 32-byte pages for C2 22 xx, word programming for BF xx xx, else 256-byte pages.
FlashProfile ProfileFor(const chip::ChipIdBytes& chipId);

// Status value that sets the block protection at the end of an update.
std::uint8_t ProtectionValueFor(const FlashProfile& profile);

}  // namespace flash
