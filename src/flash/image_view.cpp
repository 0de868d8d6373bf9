#include "flash/image_view.h"

namespace flash {

namespace {
constexpr std::uint8_t kErased = 0xFF;
}

std::uint8_t ImageByteAt(std::span<const std::uint8_t> bytes, std::uint64_t imageBase,
                         std::uint64_t flashAddress) {
    if (flashAddress < imageBase)
        return kErased;
    const std::uint64_t position = flashAddress - imageBase;
    return position < bytes.size() ? bytes[position] : kErased;
}

}  // namespace flash
