#include "flash/block_check.h"

#include <array>
#include <string>

#include "chip/flash_commands.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

using Block = std::array<std::uint8_t, kReadBlockSize>;

// The bytes the block at `a` should hold, asked once per attempt.
Block ExpectedBlock(const BlockCheck& check, std::uint64_t a) {
    Block expected;
    for (std::uint32_t i = 0; i < kReadBlockSize; ++i)
        expected[i] = check.expected(a + i);
    return expected;
}

// The complement of what is expected: a byte the device never delivered
// can then never compare equal.
Block Complement(const Block& expected) {
    Block block;
    for (std::uint32_t i = 0; i < kReadBlockSize; ++i)
        block[i] = static_cast<std::uint8_t>(~expected[i]);
    return block;
}

// Offset of the first byte that differs, or kReadBlockSize when all compared
// bytes match. Bytes beyond `last` are not compared.
std::uint32_t FirstMismatch(const Block& expected, const Block& block, std::uint64_t a,
                            std::uint64_t last) {
    for (std::uint32_t i = 0; i < kReadBlockSize; ++i) {
        if (a + i > last)
            return kReadBlockSize;
        if (block[i] != expected[i])
            return i;
    }
    return kReadBlockSize;
}

}  // namespace

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint64_t first,
                 std::uint64_t last, FlashProgress& progress, FailurePoint* failure) {
    std::string cause;
    const BlockAttempt attempt = [&](std::uint64_t a,
                                     std::uint64_t upTo) -> std::optional<std::uint32_t> {
        const Block expected = ExpectedBlock(check, a);
        Block block = Complement(expected);
        if (!chip::FlashReadBlock(link, static_cast<std::uint32_t>(a), kReadBlockSize,
                                  block.data())) {
            cause = "the block read failed: " + link.LastRequestError();
            return std::nullopt;
        }
        const std::uint32_t at = FirstMismatch(expected, block, a, upTo);
        if (at < kReadBlockSize)
            cause = "reads 0x" + Hex2(block[at]) + ", expected 0x" + Hex2(expected[at]);
        return at;
    };
    std::uint64_t failedAt = 0;
    const bool ok = RetryBlocks(first, last, check.texts, attempt, progress, &failedAt);
    if (!ok && failure != nullptr)
        *failure = FailurePoint{failedAt, cause};
    return ok;
}

}  // namespace flash
