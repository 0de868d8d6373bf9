#pragma once

#include <string>

#include "image/firmware_image.h"
#include "image/load_result.h"

namespace image {

// Loads an Intel HEX file into `image`: every good load starts from an erased
// image, places the data at its addresses and sets the length to the highest
// address written + 1. A file with any faulty record, or with data beyond the
// image, is refused as a whole and the image keeps its previous content, so a
// damaged file can never reach the product's flash.
LoadResult LoadHexFile(FirmwareImage& image, const std::string& path);

}  // namespace image
