#include "image/boot_layout.h"

#include <algorithm>

namespace image {
namespace {

bool HoldsText(std::span<const std::uint8_t> bytes, std::size_t offset, std::string_view text) {
    return std::equal(
        text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
        [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
}

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

}  // namespace

std::optional<std::uint32_t> BootImageLength(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kBootMinimumLength || !HoldsText(bytes, 0, kBootHeaderMagic)) {
        return std::nullopt;
    }
    const std::uint32_t length = LittleEndian32(bytes, kBootLengthOffset);
    if (length < kBootMinimumLength || length > bytes.size())
        return std::nullopt;
    if (!HoldsText(bytes, length - kBootTrailerMagic.size(), kBootTrailerMagic))
        return std::nullopt;
    return length;
}

}  // namespace image
