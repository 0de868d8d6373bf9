#pragma once

#include <cstdint>

namespace flash {

class FlashProgress;

// Flash addresses travel as three bytes, so nothing at or above this address
// can be reached: a larger one would be cut to 24 bits and land low in the
// flash, in the boot area.
inline constexpr std::uint64_t kFlashAddressEnd = 0x1000000;

// Whether a range whose end value is `end` stays inside the flash. Every loop
// over a range asks before its first request; when the answer is no, the
// refusal is on the step label and the loop returns false having sent nothing.
bool RangeInsideFlash(std::uint64_t end, FlashProgress& progress);

}  // namespace flash
