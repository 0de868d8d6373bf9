#include "image/checksum.h"

namespace image {

std::uint16_t Checksum16(std::span<const std::uint8_t> bytes) {
    // 256 KiB of 0xFF sums to under 2^26, so a 32-bit total cannot overflow.
    std::uint32_t sum = 0;
    for (const std::uint8_t byte : bytes) sum += byte;
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t ImageChecksum(const FirmwareImage& image) { return Checksum16(image.Defined()); }

}  // namespace image
