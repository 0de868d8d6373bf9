#pragma once

#include <cstdint>

namespace pages {

struct IspControls;

// The "Assign Range" edits hold KB of the flash, whose addresses are 24 bits.
inline constexpr std::uint32_t kFlashSizeKb = 16384;

// The Start Addr (lbledISPStart) and Size (lbledISPRange) edits as numbers of
// KB. A text that is not a number raises the conversion error; a number
// outside 0 .. 16384 throws an error that says so. Both come before anything
// is sent, since a negative or huge value would wrap the range arithmetic
// round to addresses nobody asked for.
std::uint32_t RangeStartKbOf(const IspControls& controls);
std::uint32_t RangeSizeKbOf(const IspControls& controls);

}  // namespace pages
