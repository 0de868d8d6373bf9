#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sim {

// The boot layout every firmware image follows, which the chip's boot code
// checks at power-up: "QVFW", the image length L as 4 little-endian bytes,
// the image body, and "QVFE" in the last four bytes (16 <= L <= flash size).
inline constexpr std::size_t kFirmwareMinimumLength = 16;
inline constexpr std::size_t kFirmwareLengthOffset = 4;

// Whether the flash holds a complete image at address 0.
bool HoldsCompleteFirmware(std::span<const std::uint8_t> flash);

// A complete image of `length` bytes (at least 16) whose body is a
// deterministic pattern picked by `seed`; different seeds give different bodies.
std::vector<std::uint8_t> MakeFirmwareImage(std::uint32_t length, std::uint8_t seed = 0);

}  // namespace sim
