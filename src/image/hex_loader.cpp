#include "image/hex_loader.h"

#include <utility>
#include <vector>

#include "image/checksum.h"
#include "image/file_content.h"
#include "image/hex_parser.h"

namespace image {
namespace {

// A full image in one-byte records with generous spacing is still far below
// this; anything larger is not a firmware file, and we do not read it all.
constexpr std::size_t kMaxHexFileSize = std::size_t{64} * 1024 * 1024;

LoadResult Failure(LoadStatus status, std::string message, std::string reason = {}) {
    return LoadResult{status, 0, std::move(message), std::move(reason)};
}

}  // namespace

LoadResult LoadHexFile(FirmwareImage& image, const std::string& path) {
    const FileContent file = ReadFileContent(path, kMaxHexFileSize);
    if (!file.Ok())
        return Failure(LoadStatus::NotOpened, file.error, file.reason);
    const std::string invalid = "The HEX file \"" + path + "\" is invalid: ";
    if (file.exceedsLimit) {
        return Failure(LoadStatus::Refused,
                       invalid + "it is larger than 64 MiB, far more than a firmware image needs.",
                       "it is larger than 64 MiB");
    }
    // The image changes only once the whole file has proven sound.
    std::vector<std::uint8_t> scratch(kImageSize, kErasedByte);
    HexParser parser{std::span<std::uint8_t, kImageSize>(scratch.data(), kImageSize)};
    if (!parser.Parse(file.bytes))
        return Failure(LoadStatus::Refused, invalid + parser.Error() + ".", parser.Error());
    image.Assign(std::span(scratch).first(parser.EndMark()));
    return LoadResult{LoadStatus::Loaded, ImageChecksum(image), {}, {}};
}

}  // namespace image
