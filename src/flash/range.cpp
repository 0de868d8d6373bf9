#include "flash/range.h"

#include "flash/flash_progress.h"

namespace flash {

std::uint8_t ImageByteAt(std::span<const std::uint8_t> bytes, std::uint64_t imageBase,
                         std::uint64_t flashAddress) {
    if (flashAddress < imageBase)
        return kErasedByte;
    const std::uint64_t position = flashAddress - imageBase;
    return position < bytes.size() ? bytes[position] : kErasedByte;
}

OperationRange OperationRangeFor(bool wholeFlash, std::uint64_t rangeStart,
                                 std::uint32_t imageLength) {
    if (wholeFlash)
        return {0, imageLength, 0};
    return {rangeStart, rangeStart + std::uint64_t{imageLength}, rangeStart};
}

bool RangeInsideFlash(std::uint64_t end, FlashProgress& progress) {
    if (end <= kFlashAddressEnd)
        return true;
    progress.SetStepText("Range reaches past the 16 MiB flash: nothing done");
    return false;
}

double RangeShare(std::uint64_t first, std::uint64_t last, std::uint64_t address) {
    if (last < first || address <= first)
        return 0.0;
    if (address > last)
        return 1.0;
    return static_cast<double>(address - first) / static_cast<double>(last - first + 1);
}

}  // namespace flash
