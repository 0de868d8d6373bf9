#pragma once

#include <cstdint>

namespace image {

// Converts exactly `count` characters from hexadecimal. '0'-'9', 'A'-'F' and
// 'a'-'f' give their digit; every other character (a blank, the 'x' of a
// prefix, a NUL) counts as 0. The caller supplies at least `count` characters.
std::int32_t HexToInt(const char* text, int count);

}  // namespace image
