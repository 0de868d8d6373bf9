#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/firmware_image.h"

namespace image {

inline constexpr std::size_t kBuiltInImageSize = 0x8000;

// The block the program carries (`builtInImage`): our own demo firmware image,
// embedded at build time from data/built_in_image.bin.
std::span<const std::uint8_t, kBuiltInImageSize> BuiltInImage();

// Overwrites the first 32 KiB of `image` with the built-in block. The length
// stays as the last load left it, since no file was loaded.
void CopyBuiltInImage(FirmwareImage& image);

}  // namespace image
