#pragma once

#include <string>

#include "image/firmware_image.h"
#include "image/load_result.h"

namespace image {

enum class FirmwareFileKind { Binary, Hex, Unknown };

// One character decides, the first of a three-letter extension: 'b'/'B' is
// binary (".bin", also ".bak"), 'h'/'H' is Intel HEX (".hex", ".h00"). A
// one- or two-character path gives its first character, an empty path none.
FirmwareFileKind FirmwareFileKindOf(const std::string& path);

// Loads `path` with the loader its name picks; for any other name nothing is
// read, the image stays as it is and the result says NotRecognised.
LoadResult LoadFirmwareFile(FirmwareImage& image, const std::string& path);

}  // namespace image
