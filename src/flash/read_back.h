#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;

// Flash content read by Read Flash; byte k holds flash address k. The window
// owns the one buffer and keeps it until the next read.
inline constexpr std::uint32_t kReadBackBufferSize = 0x40000;
using ReadBackBuffer = std::array<std::uint8_t, kReadBackBufferSize>;

// The range Read Flash covers.
inline constexpr std::uint32_t kReadFlashFirst = 0;
inline constexpr std::uint32_t kReadFlashLast = 0x8000;

// Reads `first` .. `last` in 64-byte blocks into the buffer, on an open
// device, reading every block twice; two reads that disagree count as a failed
// attempt, three in a row end the loop with "Verifying Fail at 0x" and the
// address. Positions not reached keep the filler 0x5A; blocks that reach past
// the buffer are read but not kept beyond it. A range beyond the flash is
// refused before the first read. Any buffer will do where byte k holds address k
// (a whole-flash backup needs more than the window's).
bool ReadBackRange(usb::QuorvexUsb& link, std::span<std::uint8_t> buffer, std::uint64_t first,
                   std::uint64_t last, FlashProgress& progress);

}  // namespace flash
