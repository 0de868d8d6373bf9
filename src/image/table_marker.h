#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace image {

// The text in front of the parameter table of a firmware image.
inline constexpr std::string_view kTableMarker = "QVUSB_Table01";
// Only the first 12 marker characters are compared, and 10 of them in a row
// from the start are enough: the table revision digits may differ.
inline constexpr std::size_t kMarkerCompared = 12;
inline constexpr std::size_t kMarkerNeeded = 10;

// The lowest position below `length` at which the marker stands, comparing
// never beyond the end of `bytes` (a candidate may reach past `length`).
std::optional<std::uint32_t> FindTableMarker(std::span<const std::uint8_t> bytes,
                                             std::uint32_t length);

}  // namespace image
