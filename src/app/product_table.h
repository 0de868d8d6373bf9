#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace app {

// One known product: the text searched for in interface paths, the name shown
// on the device panel and the base name of its firmware file.
struct ProductRow {
    std::string_view matchString;
    std::string_view displayName;
    std::string_view fileBaseName;
};

inline constexpr std::size_t kProductCount = 10;

// The ten products the detection looks for, in search order from row 0.
extern const std::array<ProductRow, kProductCount> productTable;

// Match strings of the bare chip waiting in ISP mode (vendor-driver path).
inline constexpr std::string_view kIspMatch2fc6 = "vid_2fc6&pid_6000";
inline constexpr std::string_view kIspMatch0ea0 = "vid_0ea0&pid_6000";

}  // namespace app
