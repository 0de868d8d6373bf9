#include "flash/operation_range.h"

namespace flash {

OperationRange OperationRangeFor(bool wholeFlash, std::uint32_t rangeStart,
                                 std::uint32_t imageLength) {
    if (wholeFlash)
        return {0, imageLength, 0};
    return {rangeStart, rangeStart + imageLength, rangeStart};
}

}  // namespace flash
