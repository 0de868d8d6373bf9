#include "flash/block_check.h"

#include <array>

#include "chip/flash_commands.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

using Block = std::array<std::uint8_t, kReadBlockSize>;

// Offset of the first byte that differs, or kReadBlockSize when all compared
// bytes match. Bytes beyond `last` are not compared.
std::uint32_t FirstMismatch(const BlockCheck& check, const Block& block, std::uint64_t a,
                            std::uint64_t last) {
    for (std::uint32_t i = 0; i < kReadBlockSize; ++i) {
        if (a + i > last)
            return kReadBlockSize;
        if (block[i] != check.expected(a + i))
            return i;
    }
    return kReadBlockSize;
}

}  // namespace

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint64_t first,
                 std::uint64_t last, FlashProgress& progress) {
    const BlockAttempt attempt = [&](std::uint64_t a,
                                     std::uint64_t upTo) -> std::optional<std::uint32_t> {
        Block block{};
        if (!chip::FlashReadBlock(link, static_cast<std::uint32_t>(a), kReadBlockSize,
                                  block.data()))
            return std::nullopt;
        return FirstMismatch(check, block, a, upTo);
    };
    return RetryBlocks(first, last, check.texts, attempt, progress);
}

}  // namespace flash
