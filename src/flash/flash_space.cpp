#include "flash/flash_space.h"

#include "flash/flash_progress.h"

namespace flash {

bool RangeInsideFlash(std::uint64_t end, FlashProgress& progress) {
    if (end <= kFlashAddressEnd)
        return true;
    progress.SetStepText("Range reaches past the 16 MiB flash: nothing done");
    return false;
}

}  // namespace flash
