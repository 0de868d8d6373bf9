#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

// What tells one demo firmware build from another.
struct DemoFirmwareLayout {
    std::uint32_t length = 0;  // whole image, frame included
    std::string version;       // e.g. "V1.00"
    std::uint32_t seed = 1;    // varies the code-like filler between versions
};

// Header fields after the boot frame's magic and length.
inline constexpr std::uint32_t kTableOffsetField = 0x08;  // LE32: where the marker stands
inline constexpr std::uint32_t kEntryPointField = 0x0C;   // LE32: first instruction
inline constexpr std::uint32_t kVersionTextOffset = 0x10;
inline constexpr std::uint32_t kVersionTextSize = 0x30;  // NUL-padded
inline constexpr std::uint32_t kVectorsOffset = 0x40;    // LE32 handler addresses
inline constexpr std::uint32_t kCodeOffset = 0x100;

// A plausible firmware image for the Pale Reed F066 in our boot frame: header,
// version text, vectors, code-like filler, erased gaps, the parameter table
// behind its marker 4 KiB before the end, and the trailer magic.
std::vector<std::uint8_t> MakeDemoFirmware(const DemoFirmwareLayout& layout);

}  // namespace tools
