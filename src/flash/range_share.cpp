#include "flash/range_share.h"

namespace flash {

double RangeShare(std::uint64_t first, std::uint64_t last, std::uint64_t address) {
    if (last < first || address <= first)
        return 0.0;
    if (address > last)
        return 1.0;
    return static_cast<double>(address - first) / static_cast<double>(last - first + 1);
}

}  // namespace flash
