#include "hex_text.h"

#include <cstdio>

#include "image/hex_loader.h"
#include "support/scratch_dir.h"

namespace image_test {

std::string HexRecordLine(std::uint8_t type, std::uint16_t offset,
                          const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> fields = {static_cast<std::uint8_t>(data.size()),
                                        static_cast<std::uint8_t>(offset >> 8),
                                        static_cast<std::uint8_t>(offset), type};
    fields.insert(fields.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (const std::uint8_t byte : fields)
        sum += byte;
    fields.push_back(static_cast<std::uint8_t>(-sum));
    std::string line = ":";
    for (const std::uint8_t byte : fields) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        line += digits;
    }
    return line + "\r\n";
}

std::string LinearBaseLine(std::uint16_t upper) {
    return HexRecordLine(0x04, 0,
                         {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)});
}

std::string SegmentBaseLine(std::uint16_t segment) {
    return HexRecordLine(
        0x02, 0, {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment)});
}

image::LoadResult LoadHexText(image::FirmwareImage& image, std::string_view text) {
    const ScratchDir dir;
    return image::LoadHexFile(image, dir.Write("fw.hex", text));
}

}  // namespace image_test
