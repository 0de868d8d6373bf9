#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace product {
struct ListedDevice;
}

namespace cli {

class JsonLine;

// What a production log keeps of one unit, so that a returned board can be
// traced to what was written into it: the file and its image, the product,
// its serial string and its flash part. A field stays unset (null) when the
// command had no file, worked on no single device, or the device did not say.
struct UnitRecord {
    std::optional<std::string> file;
    std::optional<std::string> sha256;  // of the image bytes, as written or compared
    std::optional<std::uint64_t> length;
    std::optional<std::string> product;
    std::optional<std::string> vidPid;
    std::optional<std::string> serial;
    std::optional<std::string> flashPart;

    void SetImage(const std::string& path, std::span<const std::uint8_t> bytes);
    void SetDevice(const product::ListedDevice& device);
    // The fields, in this order, and the tool's version.
    void AddTo(JsonLine& line) const;
};

}  // namespace cli
