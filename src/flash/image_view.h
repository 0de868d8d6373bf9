#pragma once

#include <cstdint>
#include <span>

namespace flash {

// Size of the program's firmware image buffer.
inline constexpr std::uint32_t kImageBufferSize = 0x40000;

// The firmware image as the flash loops read it: the fixed buffer (every byte
// no load defined holds 0xFF) and the number of bytes the last load defined.
struct ImageView {
    std::span<const std::uint8_t> bytes;
    std::uint32_t length = 0;
};

// The image byte that belongs at `flashAddress` when image byte 0 sits at
// `imageBase`. Positions outside the buffer count as erased flash, so a range
// that runs past the image (the included last address of a full-size image,
// or a base above the address) never reads outside it.
std::uint8_t ImageByteAt(std::span<const std::uint8_t> bytes, std::uint64_t imageBase,
                         std::uint64_t flashAddress);

}  // namespace flash
