#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace image {

// The SHA-256 digest of `bytes` in lower-case hex (64 digits): what a
// production log records of an image, so that a returned unit can be matched
// with the exact bytes written into it.
std::string Sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace image
