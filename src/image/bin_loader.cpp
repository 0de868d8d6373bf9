#include "image/bin_loader.h"

#include <filesystem>
#include <span>

#include "image/checksum.h"
#include "image/file_content.h"

namespace image {
namespace {

std::string TooLargeMessage(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const std::string sizeText = error ? "more than 262144" : std::to_string(size);
    return "The binary file \"" + path + "\" is " + sizeText +
           " bytes long; the firmware image holds at most 262144 bytes.";
}

}  // namespace

LoadResult LoadBinFile(FirmwareImage& image, const std::string& path) {
    const FileContent file = ReadFileContent(path, kImageSize);
    if (!file.Ok())
        return LoadResult{LoadStatus::NotOpened, 0, file.error, file.reason};
    if (file.exceedsLimit)
        return LoadResult{LoadStatus::Refused, 0, TooLargeMessage(path),
                          "it is larger than the 262144-byte image"};
    // Loading it would make an update erase the flash and write nothing back.
    if (file.bytes.empty())
        return LoadResult{LoadStatus::Refused, 0,
                          "The binary file \"" + path + "\" is empty; there is nothing to load.",
                          "the file is empty"};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.bytes.data());
    image.Assign(std::span(bytes, file.bytes.size()));
    return LoadResult{LoadStatus::Loaded, ImageChecksum(image), {}, {}};
}

}  // namespace image
