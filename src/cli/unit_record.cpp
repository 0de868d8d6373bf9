#include "cli/unit_record.h"

#include "cli/json_line.h"
#include "image/sha256.h"
#include "product/listed_device.h"
#include "version/version.h"

namespace cli {

void UnitRecord::SetImage(const std::string& path, std::span<const std::uint8_t> bytes) {
    file = path;
    sha256 = image::Sha256Hex(bytes);
    length = bytes.size();
}

void UnitRecord::SetDevice(const product::ListedDevice& device) {
    product = device.displayName;
    vidPid = device.VidPidText();
}

void UnitRecord::AddTo(JsonLine& line) const {
    line.OptionalText("file", file).OptionalText("sha256", sha256);
    if (length)
        line.Number("length", static_cast<std::int64_t>(*length));
    else
        line.Raw("length", "null");
    line.OptionalText("product", product)
        .OptionalText("vid_pid", vidPid)
        .OptionalText("serial", serial)
        .OptionalText("flash_part", flashPart)
        .Text("tool_version", PALEREED_VERSION);
}

}  // namespace cli
