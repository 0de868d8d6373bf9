#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace product {

// One known product: its USB identity in normal operation, the text searched
// for in interface paths, the name shown to the user and the base name of its
// update file.
struct ProductRow {
    std::uint16_t vid;
    std::uint16_t pid;
    std::string_view matchString;
    std::string_view displayName;
    std::string_view fileBaseName;
};

inline constexpr std::size_t kProductCount = 10;

// The ten products the detection looks for, in search order from row 0. The
// window, the command line and the simulated chip all read this one table.
extern const std::array<ProductRow, kProductCount> productTable;

// The bare chip waiting in ISP mode, under either of its two vendor IDs.
inline constexpr std::uint16_t kIspVidQuorvex = 0x2FC6;
inline constexpr std::uint16_t kIspVidAlternate = 0x0EA0;
inline constexpr std::uint16_t kIspPid = 0x6000;

// Match strings of the bare chip waiting in ISP mode (vendor-driver path).
inline constexpr std::string_view kIspMatch2fc6 = "vid_2fc6&pid_6000";
inline constexpr std::string_view kIspMatch0ea0 = "vid_0ea0&pid_6000";

}  // namespace product
