#include "flash/read_back.h"

#include <algorithm>

#include "chip/flash_commands.h"
#include "flash/block_retry.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint8_t kNotReadFiller = 0x5A;

using Block = std::array<std::uint8_t, kReadBlockSize>;

void FillNotRead(std::span<std::uint8_t> buffer, std::uint64_t first, std::uint64_t last) {
    const std::uint64_t end = std::min<std::uint64_t>(last + 1, buffer.size());
    if (first < end)
        std::fill(buffer.data() + first, buffer.data() + end, kNotReadFiller);
}

void Keep(std::span<std::uint8_t> buffer, std::uint64_t a, const Block& block) {
    if (a >= buffer.size())
        return;
    const std::size_t count = std::min<std::uint64_t>(kReadBlockSize, buffer.size() - a);
    std::copy_n(block.begin(), count, buffer.data() + a);
}

// Offset of the first byte where the second read differs, or kReadBlockSize.
std::uint32_t FirstDifference(const Block& kept, const Block& again) {
    const auto diff = std::mismatch(kept.begin(), kept.end(), again.begin());
    return static_cast<std::uint32_t>(diff.first - kept.begin());
}

}  // namespace

bool ReadBackRange(usb::QuorvexUsb& link, std::span<std::uint8_t> buffer, std::uint64_t first,
                   std::uint64_t last, FlashProgress& progress) {
    FillNotRead(buffer, first, last);
    const BlockAttempt attempt = [&](std::uint64_t a,
                                     std::uint64_t) -> std::optional<std::uint32_t> {
        const auto address = static_cast<std::uint32_t>(a);
        Block kept{};
        if (!chip::FlashReadBlock(link, address, kReadBlockSize, kept.data()))
            return std::nullopt;
        Keep(buffer, a, kept);
        Block again = kept;  // the second read lands on top of the first
        chip::FlashReadBlock(link, address, kReadBlockSize, again.data());
        return FirstDifference(kept, again);
    };
    return RetryBlocks(first, last, {"Verifying Addr: 0x", "Verifying Fail at 0x"}, attempt,
                       progress);
}

}  // namespace flash
