#include "flash/block_retry.h"

#include <algorithm>

#include "flash/flash_progress.h"
#include "flash/flash_texts.h"
#include "flash/range.h"

namespace flash {

namespace {
constexpr int kAttemptsBeforeGivingUp = 3;
}

bool RetryBlocks(std::uint64_t first, std::uint64_t last, const BlockTexts& texts,
                 const BlockAttempt& attempt, FlashProgress& progress, std::uint64_t* failedAddress,
                 std::uint32_t blockSize) {
    if (!RangeInsideFlash(last, progress))
        return false;
    // An included last address of exactly the flash end comes from an image
    // that ends there; the byte after it does not exist to be checked.
    last = std::min(last, kFlashAddressEnd - 1);
    int fails = 0;
    std::uint32_t offset = 0;
    std::uint64_t a = first;
    while (a <= last) {
        if (const std::optional<std::uint32_t> failedAt = attempt(a, last)) {
            offset = *failedAt;
            fails = offset < blockSize ? fails + 1 : 0;
            progress.SetAddressText(texts.addressPrefix + Hex6(static_cast<std::uint32_t>(a)));
            progress.SetShareDone(RangeShare(first, last, a));
            progress.PumpEvents();
        } else {
            ++fails;
        }
        if (fails >= kAttemptsBeforeGivingUp) {
            progress.SetStepText(texts.failurePrefix +
                                 Hex6(static_cast<std::uint32_t>(a + offset)));
            if (failedAddress != nullptr)
                *failedAddress = a + offset;
            return false;
        }
        if (fails == 0) {
            a += blockSize;
            offset = 0;
        }
    }
    progress.SetShareDone(1.0);
    return true;
}

}  // namespace flash
