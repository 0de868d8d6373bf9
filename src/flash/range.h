#pragma once

#include <cstdint>
#include <span>

namespace flash {

class FlashProgress;

// Where a flash loop works and what it reads there: the image buffer, the
// range of one button or run, the flash's address space, and the share of a
// range done.

// What an erased flash byte reads, and what the image holds where no load
// defined a byte.
inline constexpr std::uint8_t kErasedByte = 0xFF;

// The smallest erase every part we know has (instruction 0x20): 4 KiB.
inline constexpr std::uint32_t kSectorSize = 4096;

// Size of the program's firmware image buffer.
inline constexpr std::uint32_t kImageBufferSize = 0x40000;

// The firmware image as the flash loops read it: the fixed buffer (every byte
// no load defined holds 0xFF) and the number of bytes the last load defined.
struct ImageView {
    std::span<const std::uint8_t> bytes;
    std::uint32_t length = 0;
};

// The image byte that belongs at `flashAddress` when image byte 0 sits at
// `imageBase`. Positions outside the buffer count as erased flash, so a range
// that runs past the image (the included last address of a full-size image,
// or a base above the address) never reads outside it.
std::uint8_t ImageByteAt(std::span<const std::uint8_t> bytes, std::uint64_t imageBase,
                         std::uint64_t flashAddress);

// Where a blank check, program or verify works: from `first`; `end` is the
// included last address of the checks and the excluded end of programming;
// image byte 0 belongs at `imageBase`. In 64 bits, so that a start near the
// top of 32 bits cannot wrap the end round to a small address; the loops
// refuse what lies beyond the flash.
struct OperationRange {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
    std::uint64_t imageBase = 0;

    bool operator==(const OperationRange&) const = default;
};

// "All": 0 .. imageLength. "Assign Range": RangeStart .. RangeStart + imageLength,
// the image placed at RangeStart.
OperationRange OperationRangeFor(bool wholeFlash, std::uint64_t rangeStart,
                                 std::uint32_t imageLength);

// Flash addresses travel as three bytes, so nothing at or above this address
// can be reached: a larger one would be cut to 24 bits and land low in the
// flash, in the boot area.
inline constexpr std::uint64_t kFlashAddressEnd = 0x1000000;

// Whether a range whose end value is `end` stays inside the flash. Every loop
// over a range asks before its first request; when the answer is no, the
// refusal is on the step label and the loop returns false having sent nothing.
bool RangeInsideFlash(std::uint64_t end, FlashProgress& progress);

// Share of the range `first` .. `last` (included) done when the loop stands
// at `address`, 0 to 1.
double RangeShare(std::uint64_t first, std::uint64_t last, std::uint64_t address);

}  // namespace flash
