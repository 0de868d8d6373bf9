#include "cli/firmware_input.h"

#include "catalog/update_file_rule.h"
#include "image/firmware_file.h"

namespace cli {
namespace {

Outcome Refused(std::string message) {
    Outcome outcome;
    outcome.exitCode = kExitFileRefused;
    outcome.message = std::move(message);
    return outcome;
}

}  // namespace

std::optional<Outcome> LoadUpdateFile(const std::string& path, image::FirmwareImage& image) {
    const image::LoadResult result = image::LoadFirmwareFile(image, path);
    switch (result.status) {
        case image::LoadStatus::Loaded:
            if (image.ImageLength() == 0)
                return Refused("'" + path + "' holds no data");
            return std::nullopt;
        case image::LoadStatus::NotOpened:
            return Refused("cannot read '" + path + "': " + result.reason);
        case image::LoadStatus::NotRecognised:
            return Refused("'" + path + "' is neither a HEX (.hex, .h00) nor a binary (.bin) file");
        case image::LoadStatus::Refused:
            break;
    }
    const std::string why = result.reason.empty() ? result.message : result.reason;
    return Refused("'" + path + "' is invalid: " + why);
}

std::optional<Outcome> FindDefaultUpdateFile(const std::filesystem::path& folder,
                                             const product::ListedDevice& device,
                                             std::string& path) {
    if (device.row == nullptr) {
        Outcome outcome;
        outcome.exitCode = kExitUsage;
        outcome.message = "the device at " + device.location +
                          " waits in ISP mode for its firmware; name the update file: "
                          "palereed-flash update FILE --device " +
                          device.location;
        return outcome;
    }
    const auto found = product::FindUpdateFile(folder, *device.row);
    if (!found) {
        return Refused("no update file " + product::UpdateFileName(*device.row) + " in " +
                       folder.string());
    }
    path = found->string();
    return std::nullopt;
}

}  // namespace cli
