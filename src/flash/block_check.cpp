#include "flash/block_check.h"

#include <array>
#include <string>

#include "chip/flash_commands.h"
#include "flash/flash_texts.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

// Room for the largest block one fetch carries; a check uses its first
// blockSize bytes.
using FetchBlock = std::array<std::uint8_t, chip::kMaxFetchLength>;

// The bytes the block at `a` should hold, asked once per attempt.
FetchBlock ExpectedBlock(const BlockCheck& check, std::uint64_t a) {
    FetchBlock expected{};
    for (std::uint32_t i = 0; i < check.blockSize; ++i)
        expected[i] = check.expected(a + i);
    return expected;
}

// The complement of what is expected: a byte the device never delivered
// can then never compare equal.
FetchBlock Complement(const FetchBlock& expected, std::uint32_t size) {
    FetchBlock block{};
    for (std::uint32_t i = 0; i < size; ++i)
        block[i] = static_cast<std::uint8_t>(~expected[i]);
    return block;
}

// Offset of the first byte that differs, or `size` when all compared bytes
// match. Bytes beyond `last` are not compared.
std::uint32_t FirstMismatch(const FetchBlock& expected, const FetchBlock& block, std::uint32_t size,
                            std::uint64_t a, std::uint64_t last) {
    for (std::uint32_t i = 0; i < size; ++i) {
        if (a + i > last)
            return size;
        if (block[i] != expected[i])
            return i;
    }
    return size;
}

}  // namespace

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint64_t first,
                 std::uint64_t last, FlashProgress& progress, FailurePoint* failure) {
    std::string cause;
    const BlockAttempt attempt = [&](std::uint64_t a,
                                     std::uint64_t upTo) -> std::optional<std::uint32_t> {
        const FetchBlock expected = ExpectedBlock(check, a);
        const std::uint32_t size = check.blockSize;
        FetchBlock block = Complement(expected, size);
        if (!chip::FlashReadBlock(link, static_cast<std::uint32_t>(a),
                                  static_cast<std::uint16_t>(size), block.data())) {
            cause = "the block read failed: " + link.LastRequestError();
            return std::nullopt;
        }
        const std::uint32_t at = FirstMismatch(expected, block, size, a, upTo);
        if (at < size)
            cause = "reads 0x" + Hex2(block[at]) + ", expected 0x" + Hex2(expected[at]);
        return at;
    };
    std::uint64_t failedAt = 0;
    const bool ok =
        RetryBlocks(first, last, check.texts, attempt, progress, &failedAt, check.blockSize);
    if (!ok && failure != nullptr)
        *failure = FailurePoint{failedAt, cause};
    return ok;
}

}  // namespace flash
