#include "sim/firmware_layout.h"

#include <algorithm>
#include <cstring>

namespace sim {
namespace {

constexpr char kHead[4] = {'Q', 'V', 'F', 'W'};
constexpr char kTail[4] = {'Q', 'V', 'F', 'E'};

}  // namespace

bool HoldsCompleteFirmware(std::span<const std::uint8_t> flash) {
    if (flash.size() < kFirmwareMinimumLength)
        return false;
    if (std::memcmp(flash.data(), kHead, sizeof kHead) != 0)
        return false;
    const std::uint8_t* at = flash.data() + kFirmwareLengthOffset;
    const std::uint32_t length =
        static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
        (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
    if (length < kFirmwareMinimumLength || length > flash.size())
        return false;
    return std::memcmp(flash.data() + length - sizeof kTail, kTail, sizeof kTail) == 0;
}

std::vector<std::uint8_t> MakeFirmwareImage(std::uint32_t length, std::uint8_t seed) {
    length = std::max<std::uint32_t>(length, kFirmwareMinimumLength);
    std::vector<std::uint8_t> image(length);
    std::memcpy(image.data(), kHead, sizeof kHead);
    for (int i = 0; i < 4; ++i) {
        image[kFirmwareLengthOffset + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    // A xorshift body: every byte matters to a verify, and 0xFF runs are rare.
    std::uint32_t state = 0x9E3779B9u ^ (static_cast<std::uint32_t>(seed) * 0x01000193u);
    for (std::size_t i = kFirmwareLengthOffset + 4; i < length - sizeof kTail; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        image[i] = static_cast<std::uint8_t>(state >> 24);
    }
    std::memcpy(image.data() + length - sizeof kTail, kTail, sizeof kTail);
    return image;
}

}  // namespace sim
