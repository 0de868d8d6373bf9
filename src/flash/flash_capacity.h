#pragma once

#include <cstdint>
#include <optional>

#include "chip/flash_commands.h"

namespace flash {

// The size of the flash in bytes from its JEDEC identification, or nothing
// when the ID is not one we know how to read: an unknown part is not
// refused, only a known one that is too small.
std::optional<std::uint32_t> CapacityFor(const chip::ChipIdBytes& chipId);

// The included last address of the blank check and the verify is one past
// the image. On a part the image fills exactly, that address does not exist
// and would wrap round to address 0; it is left out there.
std::uint64_t LastAddressOnFlash(const chip::ChipIdBytes& chipId, std::uint64_t last);

}  // namespace flash
