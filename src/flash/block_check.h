#pragma once

#include <cstdint>
#include <functional>

#include "flash/block_retry.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;

// The block loop behind the blank check and the verify: what a flash address
// should hold, and the texts that name the loop.
struct BlockCheck {
    std::function<std::uint8_t(std::uint64_t address)> expected;
    BlockTexts texts;
};

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint64_t first,
                 std::uint64_t last, FlashProgress& progress);

}  // namespace flash
