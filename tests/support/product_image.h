#pragma once

#include <cstdint>
#include <vector>

namespace test_support {

// A complete firmware image of `length` bytes whose parameter table, at
// 0x400, carries `vid` and `pid`: the firmware of that product, as far as
// the tool can read it from an image or a flash.
std::vector<std::uint8_t> ProductImage(std::uint16_t vid, std::uint16_t pid,
                                       std::uint32_t length = 0x1000, std::uint8_t seed = 0);

// Where ProductImage puts the table; an image cut after this many bytes
// still names its product.
inline constexpr std::uint32_t kProductImageTableEnd = 0x800;

}  // namespace test_support
