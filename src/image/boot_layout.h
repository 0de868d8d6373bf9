#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace image {

// The frame every firmware image of ours carries, which the chip's boot ROM
// checks before it runs the image: a header magic, the image's total length L
// as a little-endian 32-bit word, and a trailer magic in the last four bytes.
inline constexpr std::string_view kBootHeaderMagic = "QVFW";   // bytes 0..3
inline constexpr std::uint32_t kBootLengthOffset = 4;          // bytes 4..7
inline constexpr std::string_view kBootTrailerMagic = "QVFE";  // bytes L-4..L-1
// The boot ROM wants a body of at least four bytes between length and trailer.
inline constexpr std::uint32_t kBootMinimumLength = 16;

// L when `bytes` starts with a consistent frame: both magics present and L
// within `bytes`; nullopt otherwise.
std::optional<std::uint32_t> BootImageLength(std::span<const std::uint8_t> bytes);

}  // namespace image
