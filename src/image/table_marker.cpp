#include "image/table_marker.h"

#include <algorithm>

namespace image {
namespace {

std::size_t EqualFromStart(std::span<const std::uint8_t> bytes, std::size_t position) {
    const std::size_t limit = std::min(kMarkerCompared, bytes.size() - position);
    std::size_t equal = 0;
    while (equal < limit &&
           bytes[position + equal] == static_cast<std::uint8_t>(kTableMarker[equal]))
        ++equal;
    return equal;
}

}  // namespace

std::optional<std::uint32_t> FindTableMarker(std::span<const std::uint8_t> bytes,
                                             std::uint32_t length) {
    const std::size_t end = std::min<std::size_t>(length, bytes.size());
    for (std::size_t i = 0; i < end; ++i) {
        if (EqualFromStart(bytes, i) >= kMarkerNeeded)
            return static_cast<std::uint32_t>(i);
    }
    return std::nullopt;
}

}  // namespace image
