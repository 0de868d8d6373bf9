#include "image/hex_to_int.h"

namespace image {
namespace {

std::uint32_t DigitValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<std::uint32_t>(c - '0');
    if (c >= 'A' && c <= 'F')
        return static_cast<std::uint32_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f')
        return static_cast<std::uint32_t>(c - 'a' + 10);
    return 0;
}

}  // namespace

std::int32_t HexToInt(const char* text, int count) {
    // Unsigned arithmetic: more than eight digits shift the leading ones out
    // without signed overflow.
    std::uint32_t result = 0;
    for (int i = 0; i < count; ++i)
        result = result * 16 + DigitValue(text[i]);
    return static_cast<std::int32_t>(result);
}

}  // namespace image
