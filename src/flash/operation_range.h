#pragma once

#include <cstdint>

namespace flash {

// Where a blank check, program or verify works: from `first`; `end` is the
// included last address of the checks and the excluded end of programming;
// image byte 0 belongs at `imageBase`.
struct OperationRange {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    std::uint32_t imageBase = 0;

    bool operator==(const OperationRange&) const = default;
};

// "All": 0 .. imageLength. "Assign Range": RangeStart .. RangeStart + imageLength,
// the image placed at RangeStart.
OperationRange OperationRangeFor(bool wholeFlash, std::uint32_t rangeStart,
                                 std::uint32_t imageLength);

}  // namespace flash
