#pragma once

#include <cstdint>

namespace flash {

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

}  // namespace flash
