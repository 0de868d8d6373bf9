#include "flash/operation_range.h"

namespace flash {

OperationRange OperationRangeFor(bool wholeFlash, std::uint64_t rangeStart,
                                 std::uint32_t imageLength) {
    if (wholeFlash)
        return {0, imageLength, 0};
    return {rangeStart, rangeStart + std::uint64_t{imageLength}, rangeStart};
}

}  // namespace flash
