#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;

// The block loop behind the blank check and the verify: what a flash address
// should hold, and the texts that name the loop.
struct BlockCheck {
    std::function<std::uint8_t(std::uint64_t address)> expected;
    std::string addressPrefix;  // progress text before hex6 of the block address
    std::string failurePrefix;  // failure text before hex6 of the failing address
};

bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint32_t first,
                 std::uint32_t last, FlashProgress& progress);

}  // namespace flash
