#pragma once

#include <cstdint>

namespace flash {

// Share of the range `first` .. `last` (included) done when the loop stands
// at `address`, 0 to 1.
double RangeShare(std::uint64_t first, std::uint64_t last, std::uint64_t address);

}  // namespace flash
