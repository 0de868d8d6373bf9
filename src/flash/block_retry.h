#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace flash {

class FlashProgress;

// The blank check, the verify and the read-back read the flash in blocks of this size.
inline constexpr std::uint32_t kReadBlockSize = 64;

// One attempt at the block at `address`, of which no byte beyond `last` counts:
// empty when the block could not be read, otherwise the offset of the first
// byte that failed, or the block size when the whole block passed.
using BlockAttempt =
    std::function<std::optional<std::uint32_t>(std::uint64_t address, std::uint64_t last)>;

// The texts that name a block loop.
struct BlockTexts {
    std::string addressPrefix;  // progress text before hex6 of the block address
    std::string failurePrefix;  // failure text before hex6 of the failing address
};

// Walks `first` .. `last` (included) block by block, trying each block until
// an attempt passes; three failed attempts in a row end the walk with the
// failure text and false. A block that could not be read shows no progress
// and is named by the offset of the last comparison made on it (its own
// address when there was none). A `last` beyond the flash is refused; the
// address just past the flash counts as not there and is not read. On
// failure `failedAddress`, when given, receives the address the failure text
// names. Blocks are `blockSize` bytes (1 to 255, what one fetch carries)
// long; an attempt that passes reports `blockSize`.
bool RetryBlocks(std::uint64_t first, std::uint64_t last, const BlockTexts& texts,
                 const BlockAttempt& attempt, FlashProgress& progress,
                 std::uint64_t* failedAddress = nullptr, std::uint32_t blockSize = kReadBlockSize);

}  // namespace flash
