#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <vector>

#include "image/firmware_image.h"

namespace image_test {

// An image that holds something other than what any load writes, so a test
// can tell "left alone" from "erased" or "overwritten".
image::FirmwareImage PatternedImage(std::uint32_t length = 1000);

// Deterministic bytes that look like code: every value occurs, including 0xFF.
std::vector<std::uint8_t> PseudoRandomBytes(std::size_t count, std::uint32_t seed);

// Same bytes everywhere and the same length.
::testing::AssertionResult SameImage(const image::FirmwareImage& actual,
                                     const image::FirmwareImage& expected);

// `expected` placed from offset 0, erased bytes after it, and its size as length.
::testing::AssertionResult HoldsExactly(const image::FirmwareImage& image,
                                        std::span<const std::uint8_t> expected);

}  // namespace image_test
