#pragma once

#include <string>

#include "image/firmware_image.h"
#include "image/load_result.h"

namespace image {

// Loads a raw binary file into `image` from offset 0; the length becomes the
// file's size. A file larger than the image is refused rather than cut, and
// the image then keeps its previous content.
LoadResult LoadBinFile(FirmwareImage& image, const std::string& path);

}  // namespace image
