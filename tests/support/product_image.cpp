#include "support/product_image.h"

#include <algorithm>
#include <string_view>

#include "image/parameter_table.h"
#include "sim/firmware_layout.h"

namespace test_support {

std::vector<std::uint8_t> ProductImage(std::uint16_t vid, std::uint16_t pid, std::uint32_t length,
                                       std::uint8_t seed) {
    constexpr std::uint32_t kTableAt = 0x400;
    constexpr std::string_view kMarker = "QVUSB_Table01";
    static_assert(kTableAt + image::kTableSize <= kProductImageTableEnd);
    std::vector<std::uint8_t> image = sim::MakeFirmwareImage(length, seed);
    std::fill_n(image.begin() + kTableAt, image::kTableSize, 0);
    std::copy(kMarker.begin(), kMarker.end(), image.begin() + kTableAt);
    image[kTableAt + image::kTableVidOffset] = vid & 0xFF;
    image[kTableAt + image::kTableVidOffset + 1] = vid >> 8;
    image[kTableAt + image::kTablePidOffset] = pid & 0xFF;
    image[kTableAt + image::kTablePidOffset + 1] = pid >> 8;
    return image;
}

}  // namespace test_support
