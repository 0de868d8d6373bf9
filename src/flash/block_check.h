#pragma once

#include <cstdint>
#include <functional>

#include "flash/block_retry.h"
#include "flash/update_result.h"

namespace usb {
class QuorvexUsb;
}

namespace flash {

class FlashProgress;

// The block loop behind the blank check and the verify: what a flash address
// should hold, the texts that name the loop, and how many bytes one read
// takes (1 to 255).
struct BlockCheck {
    std::function<std::uint8_t(std::uint64_t address)> expected;
    BlockTexts texts;
    std::uint32_t blockSize = kReadBlockSize;
};

// Before every read the block is filled with the complement of the bytes
// expected there, so that a byte the device never delivered cannot compare
// equal. On failure `failure`, when given, receives the address and the last
// attempt's cause.
bool CheckBlocks(usb::QuorvexUsb& link, const BlockCheck& check, std::uint64_t first,
                 std::uint64_t last, FlashProgress& progress, FailurePoint* failure = nullptr);

}  // namespace flash
