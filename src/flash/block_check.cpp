#include "flash/block_check.h"

#include <array>

#include <string>

#include "chip/flash_commands.h"
#include "flash/flash_texts.h"
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

void FillWithComplement(const BlockCheck& check, Block& block, std::uint64_t a) {
    for (std::uint32_t i = 0; i < kReadBlockSize; ++i)
        block[i] = static_cast<std::uint8_t>(~check.expected(a + i));
}

std::string MismatchCause(const BlockCheck& check, const Block& block, std::uint64_t a,
                          std::uint32_t i) {
    return "reads 0x" + Hex2(block[i]) + ", expected 0x" + Hex2(check.expected(a + i));
}

}  // namespace

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint64_t first,
                 std::uint64_t last, FlashProgress& progress, FailurePoint* failure) {
    std::string cause;
    const BlockAttempt attempt = [&](std::uint64_t a,
                                     std::uint64_t upTo) -> std::optional<std::uint32_t> {
        Block block;
        FillWithComplement(check, block, a);
        if (!chip::FlashReadBlock(link, static_cast<std::uint32_t>(a), kReadBlockSize,
                                  block.data())) {
            cause = "the block read failed: " + link.LastRequestError();
            return std::nullopt;
        }
        const std::uint32_t at = FirstMismatch(check, block, a, upTo);
        if (at < kReadBlockSize)
            cause = MismatchCause(check, block, a, at);
        return at;
    };
    std::uint64_t failedAt = 0;
    const bool ok = RetryBlocks(first, last, check.texts, attempt, progress, &failedAt);
    if (!ok && failure != nullptr)
        *failure = FailurePoint{failedAt, cause};
    return ok;
}

}  // namespace flash
