#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image/firmware_image.h"
#include "image/load_result.h"

namespace image_test {

inline constexpr std::string_view kEndOfFile = ":00000001FF\r\n";

// One record line with a correct checksum and a CR LF line end.
std::string HexRecordLine(std::uint8_t type, std::uint16_t offset,
                          const std::vector<std::uint8_t>& data);

// An extended linear (04) or extended segment (02) address record line.
std::string LinearBaseLine(std::uint16_t upper);
std::string SegmentBaseLine(std::uint16_t segment);

// Writes `text` to a temporary "fw.hex" and loads it with LoadHexFile.
image::LoadResult LoadHexText(image::FirmwareImage& image, std::string_view text);

}  // namespace image_test
