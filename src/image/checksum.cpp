#include "image/checksum.h"

namespace image {

std::uint16_t Checksum16(std::span<const std::uint8_t> bytes) {
    // Unsigned wrap-around modulo 2^32 keeps the low 16 bits exact.
    std::uint32_t sum = 0;
    for (const std::uint8_t byte : bytes)
        sum += byte;
    return static_cast<std::uint16_t>(sum);
}

std::uint16_t ImageChecksum(const FirmwareImage& image) {
    return Checksum16(image.Defined());
}

}  // namespace image
