#include "image/firmware_file.h"

#include "image/bin_loader.h"
#include "image/hex_loader.h"

namespace image {

FirmwareFileKind FirmwareFileKindOf(const std::string& path) {
    if (path.empty())
        return FirmwareFileKind::Unknown;
    const char decisive = path.size() >= 3 ? path[path.size() - 3] : path.front();
    switch (decisive) {
        case 'b':
        case 'B':
            return FirmwareFileKind::Binary;
        case 'h':
        case 'H':
            return FirmwareFileKind::Hex;
        default:
            return FirmwareFileKind::Unknown;
    }
}

LoadResult LoadFirmwareFile(FirmwareImage& image, const std::string& path) {
    switch (FirmwareFileKindOf(path)) {
        case FirmwareFileKind::Binary:
            return LoadBinFile(image, path);
        case FirmwareFileKind::Hex:
            return LoadHexFile(image, path);
        case FirmwareFileKind::Unknown:
            break;
    }
    return LoadResult{LoadStatus::NotRecognised,
                      0,
                      "\"" + path +
                          "\" is neither a HEX file (.hex, .h00) nor a binary file (.bin); "
                          "nothing was loaded.",
                      {}};
}

}  // namespace image
