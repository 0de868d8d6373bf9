#include "flash/block_check.h"

#include <array>

#include "chip/flash_commands.h"
#include "flash/flash_progress.h"
#include "flash/flash_texts.h"
#include "flash/range_share.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint32_t kBlockSize = 64;
constexpr int kAttemptsBeforeGivingUp = 3;

using Block = std::array<std::uint8_t, kBlockSize>;

// Offset of the first byte that differs, or kBlockSize when all compared
// bytes match. Bytes beyond `last` are not compared.
std::uint32_t FirstMismatch(const BlockCheck& check, const Block& block, std::uint64_t a,
                            std::uint64_t last) {
    for (std::uint32_t i = 0; i < kBlockSize; ++i) {
        if (a + i > last)
            return kBlockSize;
        if (block[i] != check.expected(a + i))
            return i;
    }
    return kBlockSize;
}

}  // namespace

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint32_t first,
                 std::uint32_t last, FlashProgress& progress) {
    int fails = 0;
    // The failure address is the one of the last comparison on the failing
    // block; a block that never read at all is named by its own address.
    std::uint32_t offset = 0;
    std::uint64_t a = first;
    while (a <= last) {
        Block block{};
        if (chip::FlashReadBlock(link, static_cast<std::uint32_t>(a), kBlockSize, block.data())) {
            offset = FirstMismatch(check, block, a, last);
            fails = offset < kBlockSize ? fails + 1 : 0;
            progress.SetAddressText(check.addressPrefix + Hex6(static_cast<std::uint32_t>(a)));
            progress.SetShareDone(RangeShare(first, last, a));
            progress.PumpEvents();
        } else {
            ++fails;
        }
        if (fails >= kAttemptsBeforeGivingUp) {
            progress.SetStepText(check.failurePrefix +
                                 Hex6(static_cast<std::uint32_t>(a + offset)));
            return false;
        }
        if (fails == 0) {
            a += kBlockSize;
            offset = 0;
        }
    }
    progress.SetShareDone(1.0);
    return true;
}

}  // namespace flash
