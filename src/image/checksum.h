#pragma once

#include <cstdint>
#include <span>

#include "image/firmware_image.h"

namespace image {

// The additive checksum the tool shows for a loaded file: the sum of the bytes
// as unsigned values, modulo 65,536.
std::uint16_t Checksum16(std::span<const std::uint8_t> bytes);

// Checksum16 of bytes 0 .. imageLength - 1; undefined bytes count as 0xFF.
std::uint16_t ImageChecksum(const FirmwareImage& image);

}  // namespace image
