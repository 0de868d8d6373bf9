#include "flash/read_back.h"

#include <algorithm>

#include "chip/flash_commands.h"
#include "flash/flash_progress.h"
#include "flash/flash_texts.h"
#include "flash/range_share.h"
#include "usb/quorvex_usb.h"

namespace flash {

namespace {

constexpr std::uint32_t kBlockSize = 64;
constexpr int kAttemptsBeforeGivingUp = 3;
constexpr std::uint8_t kNotReadFiller = 0x5A;

using Block = std::array<std::uint8_t, kBlockSize>;

void FillNotRead(ReadBackBuffer& buffer, std::uint64_t first, std::uint64_t last) {
    const std::uint64_t end = std::min<std::uint64_t>(last + 1, buffer.size());
    if (first < end)
        std::fill(buffer.begin() + first, buffer.begin() + end, kNotReadFiller);
}

void Keep(ReadBackBuffer& buffer, std::uint64_t a, const Block& block) {
    if (a >= buffer.size())
        return;
    const std::size_t count = std::min<std::uint64_t>(kBlockSize, buffer.size() - a);
    std::copy_n(block.begin(), count, buffer.begin() + a);
}

// Offset of the first byte where the second read differs, or kBlockSize.
std::uint32_t FirstDifference(const Block& kept, const Block& again) {
    const auto diff = std::mismatch(kept.begin(), kept.end(), again.begin());
    return static_cast<std::uint32_t>(diff.first - kept.begin());
}

}  // namespace

bool ReadBackRange(usb::QuorvexUsb& link, ReadBackBuffer& buffer, std::uint32_t first,
                   std::uint32_t last, FlashProgress& progress) {
    FillNotRead(buffer, first, last);
    int fails = 0;
    std::uint32_t offset = 0;
    std::uint64_t a = first;
    while (a <= last) {
        const auto address = static_cast<std::uint32_t>(a);
        Block kept{};
        if (chip::FlashReadBlock(link, address, kBlockSize, kept.data())) {
            Keep(buffer, a, kept);
            Block again = kept;  // the second read lands on top of the first
            chip::FlashReadBlock(link, address, kBlockSize, again.data());
            offset = FirstDifference(kept, again);
            fails = offset < kBlockSize ? fails + 1 : 0;
            progress.SetAddressText("Verifying Addr: 0x" + Hex6(address));
            progress.SetShareDone(RangeShare(first, last, a));
            progress.PumpEvents();
        } else {
            ++fails;
        }
        if (fails >= kAttemptsBeforeGivingUp) {
            progress.SetStepText("Verifying Fail at 0x" + Hex6(address + offset));
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
